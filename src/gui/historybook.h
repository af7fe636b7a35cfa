#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantList>

class CallDesk;

// The workplace's history as the documents see it, published as "callHistory": the earlier
// results of a caller's number, the day's figures, the history window's search and export, and
// the operator's erasing of it all. Old calls are dropped at start and once a day.
class HistoryBook final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(HistoryBook)
    // Today's closed calls and the median time from a call's arrival to its take here.
    Q_PROPERTY(int closedToday READ closedToday NOTIFY changed)
    Q_PROPERTY(QString dayFigures READ dayFigures NOTIFY changed)
    // Moves on whenever the history changes, for bindings over earlierCount().
    Q_PROPERTY(int revision READ revision NOTIFY changed)
    // The history window's rows, newest first: callID, name, phone, arrived, closed, result.
    Q_PROPERTY(QVariantList rows READ rows NOTIFY rowsChanged)

public:
    explicit HistoryBook(CallDesk& desk, QObject* parent = nullptr);

    int closedToday() const { return today; }
    QString dayFigures() const;
    int revision() const { return changes; }
    QVariantList rows() const { return shown; }

    // How many earlier closed calls the number has.
    Q_INVOKABLE int earlierCount(const QString& phone);
    // The earlier closed calls of the number, newest first: closed (as text) and result.
    Q_INVOKABLE QVariantList earlierResults(const QString& phone) const;
    // Shows the calls whose name, phone or result hold the typed words, and keeps them up to
    // date until endSearch().
    Q_INVOKABLE void search(const QString& words);
    // The history window closed: its rows are let go.
    Q_INVOKABLE void endSearch();
    // Writes the calls the search shows to a CSV file the operator picks; false when nothing
    // was written.
    Q_INVOKABLE bool exportShown();
    // Erases this registration's history once the operator confirms it.
    Q_INVOKABLE bool forget();

    // The first pruning and figures, once the desk knows its registration.
    void start();

signals:
    void changed();
    void rowsChanged();

private:
    void refresh();

    CallDesk& desk;
    QTimer dailyPrune;
    QHash<QString, int> earlierCounts;
    int today = 0;
    qint64 medianTakeSeconds = -1;
    int changes = 0;
    QString lastSearch;
    bool searching = false;
    QVariantList shown;
};
