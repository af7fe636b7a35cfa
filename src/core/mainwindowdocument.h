#pragma once

#include <QString>
#include <QStringList>

// Where the main-window document comes from: the operator's own document in the per-user
// directory, the one beside the program (build tree), or the installed one.
namespace MainWindowDocument {

QStringList candidates(const QString& perUserDir, const QString& programDir);

// The path of the first candidate that exists, or an empty string.
QString locate(const QString& perUserDir, const QString& programDir);

} // namespace MainWindowDocument
