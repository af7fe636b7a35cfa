#pragma once

#include <QString>

// Text the site wrote (a visitor's name and phone, a status, a reason) as the desk shows it.
namespace SiteText {

// Whether the text holds nothing that shown() would change.
bool isPlain(const QString& text);

// The text with line breaks, tabs and other control characters as spaces, and direction marks
// and overrides as U+FFFD: no site text can fake a line of its own or reorder what stands
// around it.
QString shown(QString text);

// The text set apart as a run of its own direction when it holds right-to-left letters, for a
// sentence it is put into.
QString isolated(const QString& text);

} // namespace SiteText
