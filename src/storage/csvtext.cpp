#include "storage/csvtext.h"

namespace {

// A caller's name or result may begin like a formula (=HYPERLINK(...)); a leading apostrophe
// makes a spreadsheet show it as text instead of running it.
QString neutralised(const QString& cell) {
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    return !cell.isEmpty() && formulaStarts.contains(cell.front()) ? QLatin1Char('\'') + cell
                                                                   : cell;
}

QString quoted(const QString& cell) {
    if (!cell.contains(QLatin1Char(',')) && !cell.contains(QLatin1Char('"')) &&
        !cell.contains(QLatin1Char('\n')) && !cell.contains(QLatin1Char('\r'))) {
        return cell;
    }
    QString text = cell;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

namespace CsvText {

QByteArray document(const QList<QStringList>& rows) {
    QString text;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (const QString& cell : row) {
            cells << quoted(neutralised(cell));
        }
        text += cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace CsvText
