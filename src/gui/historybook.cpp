#include "gui/historybook.h"

#include "core/calldesk.h"
#include "gui/messageboxes.h"
#include "storage/csvtext.h"

#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QSaveFile>

#include <limits>

namespace {

// More rows than a screen holds; a search narrows the rest. An export takes every match.
constexpr int shownRowsLimit = 200;
constexpr int exportedRowsLimit = std::numeric_limits<int>::max();
constexpr int pruneCheckMs = 60 * 60 * 1000;

QString shortTime(const QDateTime& time) {
    return time.isValid() ? QLocale().toString(time, QLocale::ShortFormat) : QString();
}

QString durationText(qint64 seconds) {
    if (seconds < 60) {
        return HistoryBook::tr("%1 s").arg(seconds);
    }
    if (seconds < 3600) {
        return HistoryBook::tr("%1 min").arg(seconds / 60);
    }
    return HistoryBook::tr("%1 h %2 min").arg(seconds / 3600).arg(seconds / 60 % 60);
}

} // namespace

HistoryBook::HistoryBook(CallDesk& desk, QObject* parent)
    : QObject(parent)
    , desk(desk) {
    connect(&desk, &CallDesk::historyChanged, this, &HistoryBook::refresh);
    // Hourly, so that the day's figures begin anew soon after midnight too.
    dailyPrune.setInterval(pruneCheckMs);
    connect(&dailyPrune, &QTimer::timeout, this,
            [this] { this->desk.pruneHistory(QDateTime::currentDateTime()); });
}

void HistoryBook::start() {
    desk.pruneHistory(QDateTime::currentDateTime());
    dailyPrune.start();
}

void HistoryBook::refresh() {
    const CallHistory::DayFigures figures = desk.history().figuresOf(QDate::currentDate());
    today = figures.closed;
    medianTakeSeconds = figures.medianTakeSeconds;
    earlierCounts.clear();
    ++changes;
    emit changed();
    if (searching) {
        search(lastSearch);
    }
}

QString HistoryBook::dayFigures() const {
    const QString closed = tr("Closed today: %1").arg(today);
    if (medianTakeSeconds < 0) {
        return closed;
    }
    return closed + QStringLiteral(" \u00B7 ") +
           tr("median wait until taken: %1").arg(durationText(medianTakeSeconds));
}

int HistoryBook::earlierCount(const QString& phone) {
    const auto known = earlierCounts.constFind(phone);
    if (known != earlierCounts.constEnd()) {
        return known.value();
    }
    const int count = desk.history().countSameNumber(phone);
    earlierCounts.insert(phone, count);
    return count;
}

QVariantList HistoryBook::earlierResults(const QString& phone) const {
    QVariantList results;
    for (const CallHistory::Entry& entry : desk.history().sameNumber(phone)) {
        results << QVariantMap{{QStringLiteral("closed"), shortTime(entry.closed)},
                               {QStringLiteral("result"), entry.result}};
    }
    return results;
}

void HistoryBook::search(const QString& words) {
    searching = true;
    lastSearch = words;
    shown.clear();
    for (const CallHistory::Entry& entry : desk.history().search(words, shownRowsLimit)) {
        shown << QVariantMap{{QStringLiteral("callID"), entry.callID},
                             {QStringLiteral("name"), entry.name},
                             {QStringLiteral("phone"), entry.phone},
                             {QStringLiteral("arrived"), shortTime(entry.arrived)},
                             {QStringLiteral("closed"), shortTime(entry.closed)},
                             {QStringLiteral("result"), entry.result}};
    }
    emit rowsChanged();
}

void HistoryBook::endSearch() {
    searching = false;
    lastSearch.clear();
    shown.clear();
    emit rowsChanged();
}

bool HistoryBook::exportShown() {
    const QString path = QFileDialog::getSaveFileName(
        nullptr, tr("Export history"), QDir::homePath() + QStringLiteral("/history.csv"),
        tr("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return false;
    }
    // Every call the search matches, not only the rows the window holds.
    QList<QStringList> table{{tr("Name"), tr("Phone"), tr("Received"), tr("Closed"), tr("Result")}};
    for (const CallHistory::Entry& entry : desk.history().search(lastSearch, exportedRowsLimit)) {
        table << QStringList{entry.name, entry.phone, shortTime(entry.arrived),
                             shortTime(entry.closed), entry.result};
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(CsvText::document(table)) >= 0 &&
        file.commit()) {
        return true;
    }
    MessageBoxes::show(QMessageBox::Warning, tr("Export history"),
                       tr("The history could not be written to %1").arg(path), file.errorString());
    return false;
}

bool HistoryBook::forget() {
    if (!MessageBoxes::confirmForgetHistory() || !desk.history().forget()) {
        return false;
    }
    refresh();
    return true;
}
