#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// Rows as comma-separated text (RFC 4180: CRLF line ends, fields quoted when they hold a comma,
// a quote or a line break, quotes doubled), in UTF-8 with a byte order mark so that spreadsheets
// read it as such. A cell that a spreadsheet would take for a formula is written as text.
namespace CsvText {

QByteArray document(const QList<QStringList>& rows);

} // namespace CsvText
