#pragma once

#include "core/phonematcher.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

class XHelper;

// The closed calls of this workplace, kept in an owner-only SQLite database under ~/.vorlan,
// one registration's (site and operator identifier) apart from another's. It is a record for
// the operator, never part of a close: a database that cannot be opened or written leaves the
// history empty, says so once on standard output, and everything else goes on.
class CallHistory final {
public:
    struct Entry {
        QString callID;
        QString name;
        QString phone;
        // Invalid when the site's date could not be read or the call was not taken here.
        QDateTime arrived;
        QDateTime taken;
        QDateTime closed;
        QString result;
    };
    struct DayFigures {
        int closed = 0;
        // The median of arrival to take over the day's calls taken here; -1 with none.
        qint64 medianTakeSeconds = -1;
    };

    static constexpr int defaultDaysKept = 90;

    CallHistory(const QString& directory, const PhoneMatcher& matcher);
    // How many days closed calls are kept, from vorlan.conf's "historyDays": 90 when missing
    // or not a whole number of days, 0 keeps nothing.
    static int daysKept(XHelper& helper);
    ~CallHistory();
    Q_DISABLE_COPY(CallHistory)

    QString path() const { return file; }
    // The registration whose history is read and written from now on; opens the database.
    void setRegistration(const QString& site, const QString& operatorID);
    bool isOpen() const { return open; }

    // Adds a closed call; false when it could not be written (it is then said on standard output).
    bool record(const Entry& entry);
    // The earlier closed calls of the same number as `phone`, newest first.
    QList<Entry> sameNumber(const QString& phone) const;
    // How many they are, without reading them.
    int countSameNumber(const QString& phone) const;
    // The newest closed calls whose name, phone or result hold every word of `words` (as the
    // start of a word); all of them for no words. At most `limit`, newest first.
    QList<Entry> search(const QString& words, int limit) const;
    DayFigures figuresOf(const QDate& day) const;
    // Drops what was closed more than `days` days before `now`; 0 drops everything.
    void prune(int days, const QDateTime& now);
    // Drops this registration's whole history.
    bool forget();

private:
    void openDatabase();
    bool createSchema();
    void moveAside(const QString& reason);
    void report(const QString& what) const;
    // `columns` of the calls that may be of the same number, then `order` (or a grouping).
    QSqlQuery candidatesOf(const QString& phone, const QString& columns,
                           const QString& order) const;

    const QString directory;
    const QString file;
    const QString connection;
    const PhoneMatcher& matcher;
    QString registration;
    bool open = false;
};
