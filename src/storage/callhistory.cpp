#include "storage/callhistory.h"

#include "net/qstdout.h"
#include "storage/conffile.h"
#include "storage/owneronly.h"
#include "storage/xhelper.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// SQLite's own codes for a file that is not, or no longer, a database.
const QStringList damagedCodes = {QStringLiteral("11"), QStringLiteral("26")};

// Named with their table: the search joins the full-text index, which has columns of these names.
const QString entryColumns = QStringLiteral(
    "closed_calls.call_id, closed_calls.name, closed_calls.phone, closed_calls.arrived, "
    "closed_calls.taken, closed_calls.closed, closed_calls.result");

// The full-text index answers the search; the table's own indexes answer the rest.
const QStringList schema = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS closed_calls (id INTEGER PRIMARY KEY, "
                   "registration TEXT NOT NULL, call_id TEXT NOT NULL, name TEXT NOT NULL, "
                   "phone TEXT NOT NULL, phone_key TEXT NOT NULL, arrived INTEGER, taken INTEGER, "
                   "closed INTEGER NOT NULL, result TEXT NOT NULL)"),
    // By time alone: retention drops old calls of every registration.
    QStringLiteral("CREATE INDEX IF NOT EXISTS closed_calls_by_time ON closed_calls (closed)"),
    // Ends with the closing time, so that a number's calls come in order from the index alone:
    // without it the planner walks the time index through every call of the registration.
    QStringLiteral("CREATE INDEX IF NOT EXISTS closed_calls_by_number "
                   "ON closed_calls (registration, phone_key, closed)"),
    QStringLiteral("CREATE VIRTUAL TABLE IF NOT EXISTS closed_calls_text USING fts5 (name, "
                   "phone, phone_key, result, content='closed_calls', content_rowid='id', "
                   "tokenize='unicode61 remove_diacritics 2', prefix='1 2 3')"),
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS closed_calls_added AFTER INSERT ON closed_calls "
                   "BEGIN INSERT INTO closed_calls_text (rowid, name, phone, phone_key, result) "
                   "VALUES (new.id, new.name, new.phone, new.phone_key, new.result); END"),
    QStringLiteral("CREATE TRIGGER IF NOT EXISTS closed_calls_dropped AFTER DELETE ON closed_calls "
                   "BEGIN INSERT INTO closed_calls_text (closed_calls_text, rowid, name, phone, "
                   "phone_key, result) VALUES ('delete', old.id, old.name, old.phone, "
                   "old.phone_key, old.result); END"),
};

// SQLite stores a null string as NULL: a call the site sent without a name is still recorded.
QString storedText(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

QVariant storedTime(const QDateTime& time) {
    return time.isValid() ? QVariant(time.toMSecsSinceEpoch()) : QVariant(QVariant::LongLong);
}

QDateTime readTime(const QVariant& value) {
    return value.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(value.toLongLong());
}

QList<CallHistory::Entry> readEntries(QSqlQuery& query) {
    QList<CallHistory::Entry> entries;
    while (query.next()) {
        entries << CallHistory::Entry{query.value(0).toString(), query.value(1).toString(),
                                      query.value(2).toString(), readTime(query.value(3)),
                                      readTime(query.value(4)),  readTime(query.value(5)),
                                      query.value(6).toString()};
    }
    return entries;
}

// Each word is looked for as the start of a word, all words together; quoted, so that no
// operator of the query language can be typed.
QString matchExpression(const QString& words) {
    QStringList terms;
    for (QString word :
         words.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        word.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        terms << QLatin1Char('"') + word + QStringLiteral("\"*");
    }
    return terms.join(QLatin1Char(' '));
}

} // namespace

int CallHistory::daysKept(XHelper& helper) {
    bool readable = false;
    const QJsonValue days = ConfFile::read(helper, &readable).value(QStringLiteral("historyDays"));
    const double number = days.toDouble(-1);
    // A century is more than any workplace keeps; a larger figure is a typing error.
    if (number < 0 || number > 36500 || number != std::floor(number)) {
        return defaultDaysKept;
    }
    return int(number);
}

CallHistory::CallHistory(const QString& directory, const PhoneMatcher& matcher)
    : directory(directory)
    , file(directory + QStringLiteral("/history.sqlite"))
    , connection(QStringLiteral("history-%1").arg(quintptr(this)))
    , matcher(matcher) {}

CallHistory::~CallHistory() {
    QSqlDatabase::database(connection, false).close();
    QSqlDatabase::removeDatabase(connection);
}

void CallHistory::setRegistration(const QString& site, const QString& operatorID) {
    registration = QString::fromLatin1(
        QCryptographicHash::hash((site + QLatin1Char('\n') + operatorID).toUtf8(),
                                 QCryptographicHash::Sha1)
            .toHex());
    if (!open) {
        openDatabase();
    }
}

void CallHistory::report(const QString& what) const {
    qStdOut() << "Call history " << file << ": " << what << Qt::endl;
}

void CallHistory::openDatabase() {
    open = false;
    const QString distrust = XHelper().distrust(file);
    if (!distrust.isEmpty()) {
        OwnerOnly::reportDistrusted(file, distrust);
        return;
    }
    OwnerOnly::makeDirectory(directory);
    // SQLite would create the file open to everyone the umask allows; it is made here first.
    if (!QFile::exists(file)) {
        QFile created(file);
        if (created.open(QIODevice::WriteOnly)) {
            created.setPermissions(OwnerOnly::fileAccess);
        }
    }
    QSqlDatabase database = QSqlDatabase::contains(connection)
                                ? QSqlDatabase::database(connection, false)
                                : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    database.setDatabaseName(file);
    if (!database.open()) {
        report(database.lastError().text());
        return;
    }
    open = createSchema();
}

bool CallHistory::createSchema() {
    QSqlQuery query(QSqlDatabase::database(connection, false));
    // What the operator erases is overwritten in the file, not only unlinked from it.
    query.exec(QStringLiteral("PRAGMA secure_delete = ON"));
    for (const QString& statement : schema) {
        if (query.exec(statement)) {
            continue;
        }
        if (damagedCodes.contains(query.lastError().nativeErrorCode())) {
            moveAside(query.lastError().databaseText());
            return open;
        }
        report(query.lastError().text());
        return false;
    }
    return true;
}

// The damaged file is kept for whoever wants to look into it, and a new history begins.
void CallHistory::moveAside(const QString& reason) {
    QSqlDatabase::database(connection, false).close();
    const QString aside = file + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QFile::remove(file + QStringLiteral("-journal"));
    if (!QFile::rename(file, aside)) {
        report(QStringLiteral("damaged (%1) and could not be moved aside").arg(reason));
        open = false;
        return;
    }
    report(QStringLiteral("damaged (%1); moved aside to %2, a new history is started")
               .arg(reason, aside));
    openDatabase();
}

bool CallHistory::record(const Entry& entry) {
    if (!open) {
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.prepare(QStringLiteral("INSERT INTO closed_calls (registration, phone_key, call_id, "
                                 "name, phone, arrived, taken, closed, result) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(registration);
    query.addBindValue(matcher.key(entry.phone));
    query.addBindValue(storedText(entry.callID));
    query.addBindValue(storedText(entry.name));
    query.addBindValue(storedText(entry.phone));
    query.addBindValue(storedTime(entry.arrived));
    query.addBindValue(storedTime(entry.taken));
    query.addBindValue(storedTime(entry.closed));
    query.addBindValue(storedText(entry.result));
    if (query.exec()) {
        return true;
    }
    const QSqlError error = query.lastError();
    if (damagedCodes.contains(error.nativeErrorCode())) {
        // The call goes into the new history that takes the damaged one's place.
        moveAside(error.databaseText());
        return open && record(entry);
    }
    report(QStringLiteral("call %1 not recorded: %2").arg(entry.callID, error.databaseText()));
    return false;
}

QList<CallHistory::Entry> CallHistory::sameNumber(const QString& phone) const {
    if (!open || phone.trimmed().isEmpty()) {
        return {};
    }
    QSqlQuery query =
        candidatesOf(phone, entryColumns, QStringLiteral(" ORDER BY closed DESC, id DESC"));
    QList<Entry> candidates = readEntries(query);
    QStringList phones;
    for (const Entry& candidate : qAsConst(candidates)) {
        phones << candidate.phone;
    }
    const QVector<bool> same = matcher.sameAs(phone, phones);
    QList<Entry> entries;
    for (int i = 0; i < candidates.size(); ++i) {
        if (same[i]) {
            entries << candidates[i];
        }
    }
    return entries;
}

int CallHistory::countSameNumber(const QString& phone) const {
    if (!open || phone.trimmed().isEmpty()) {
        return 0;
    }
    QSqlQuery query =
        candidatesOf(phone, QStringLiteral("phone, count(*)"), QStringLiteral(" GROUP BY phone"));
    QStringList phones;
    QList<int> counts;
    while (query.next()) {
        phones << query.value(0).toString();
        counts << query.value(1).toInt();
    }
    const QVector<bool> same = matcher.sameAs(phone, phones);
    int count = 0;
    for (int i = 0; i < phones.size(); ++i) {
        count += same[i] ? counts[i] : 0;
    }
    return count;
}

// The calls that may be of the same number: those of the same index key.
QSqlQuery CallHistory::candidatesOf(const QString& phone, const QString& columns,
                                    const QString& order) const {
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.prepare(QStringLiteral("SELECT ") + columns +
                  QStringLiteral(" FROM closed_calls WHERE registration = ? AND phone_key = ?") +
                  order);
    query.addBindValue(registration);
    query.addBindValue(matcher.key(phone));
    query.exec();
    return query;
}

QList<CallHistory::Entry> CallHistory::search(const QString& words, int limit) const {
    if (!open) {
        return {};
    }
    const QString expression = matchExpression(words);
    QSqlQuery query(QSqlDatabase::database(connection, false));
    if (expression.isEmpty()) {
        query.prepare(QStringLiteral("SELECT ") + entryColumns +
                      QStringLiteral(" FROM closed_calls WHERE registration = ? "
                                     "ORDER BY closed DESC, id DESC LIMIT ?"));
    } else {
        // The index walks its matches newest recorded first and stops at the limit; ordered by
        // the closing time it would have to sort every match of a one-letter search.
        query.prepare(QStringLiteral("SELECT ") + entryColumns +
                      QStringLiteral(" FROM closed_calls_text JOIN closed_calls "
                                     "ON closed_calls.id = closed_calls_text.rowid "
                                     "WHERE closed_calls_text MATCH ? AND registration = ? "
                                     "ORDER BY closed_calls_text.rowid DESC LIMIT ?"));
        query.addBindValue(expression);
    }
    query.addBindValue(registration);
    query.addBindValue(limit);
    query.exec();
    return readEntries(query);
}

CallHistory::DayFigures CallHistory::figuresOf(const QDate& day) const {
    DayFigures figures;
    if (!open) {
        return figures;
    }
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.prepare(QStringLiteral("SELECT taken - arrived FROM closed_calls WHERE registration = ? "
                                 "AND closed >= ? AND closed < ?"));
    query.addBindValue(registration);
    query.addBindValue(QDateTime(day, QTime(0, 0)).toMSecsSinceEpoch());
    query.addBindValue(QDateTime(day.addDays(1), QTime(0, 0)).toMSecsSinceEpoch());
    query.exec();
    QList<qint64> waits;
    while (query.next()) {
        ++figures.closed;
        if (!query.value(0).isNull()) {
            waits << std::max<qint64>(0, query.value(0).toLongLong());
        }
    }
    if (!waits.isEmpty()) {
        std::sort(waits.begin(), waits.end());
        const int middle = waits.size() / 2;
        const qint64 median =
            waits.size() % 2 ? waits[middle] : (waits[middle - 1] + waits[middle]) / 2;
        figures.medianTakeSeconds = median / 1000;
    }
    return figures;
}

void CallHistory::prune(int days, const QDateTime& now) {
    if (!open) {
        return;
    }
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.prepare(QStringLiteral("DELETE FROM closed_calls WHERE closed < ?"));
    query.addBindValue(days <= 0 ? std::numeric_limits<qint64>::max()
                                 : now.addDays(-days).toMSecsSinceEpoch());
    if (!query.exec()) {
        report(query.lastError().databaseText());
    }
}

bool CallHistory::forget() {
    if (!open) {
        return false;
    }
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.prepare(QStringLiteral("DELETE FROM closed_calls WHERE registration = ?"));
    query.addBindValue(registration);
    if (!query.exec()) {
        report(query.lastError().databaseText());
        return false;
    }
    return true;
}
