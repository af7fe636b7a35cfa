#include "core/callmodel.h"

#include <QStringView>

#include <algorithm>
#include <limits>
#include <optional>

namespace {
constexpr qint64 msPerDay = 86400000;
constexpr qint64 msPerMinute = 60000;
constexpr qint64 unreadable = std::numeric_limits<qint64>::max();

// The record members of the roles from CallIDRole on, in role order.
const QString recordKeys[] = {CallRecords::idKey, CallRecords::dateKey, CallRecords::nameKey,
                              CallRecords::phoneKey, CallRecords::statusKey};

qint64 wallClock(const QDate& date, const QTime& time) {
    return date.toJulianDay() * msPerDay + time.msecsSinceStartOfDay();
}

// Reads "yyyy-MM-dd HH:mm[:ss]" with any run of blanks (or a 'T') between date and time; a
// hand-made reader, since QDateTime::fromString costs more than the whole merge of a call.
std::optional<qint64> readWallClock(QStringView text) {
    text = text.trimmed();
    int fields[6] = {};
    int count = 0;
    bool inNumber = false;
    for (const QChar c : text) {
        if (c.isDigit()) {
            if (!inNumber && ++count > 6) {
                return std::nullopt;
            }
            inNumber = true;
            fields[count - 1] = fields[count - 1] * 10 + c.digitValue();
            if (fields[count - 1] > 9999) {
                return std::nullopt;
            }
            continue;
        }
        const bool between = count == 3 && (c == QLatin1Char(' ') || c == QLatin1Char('T'));
        const QChar expected = count < 3 ? QLatin1Char('-') : QLatin1Char(':');
        if (!(inNumber && c == expected && count != 3) && !between) {
            return std::nullopt;
        }
        inNumber = false;
    }
    if (count < 5 || !inNumber) {
        return std::nullopt;
    }
    const QDate date(fields[0], fields[1], fields[2]);
    const QTime time(fields[3], fields[4], fields[5]);
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    return wallClock(date, time);
}
} // namespace

CallModel::CallModel(QObject* parent)
    : QAbstractListModel(parent) {
    refreshWaits(QDateTime::currentDateTime());
}

int CallModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QHash<int, QByteArray> CallModel::roleNames() const {
    return {{CallIDRole, CallRecords::idKey.toLatin1()},
            {CreationDateRole, CallRecords::dateKey.toLatin1()},
            {NameRole, CallRecords::nameKey.toLatin1()},
            {PhoneRole, CallRecords::phoneKey.toLatin1()},
            {StatusRole, CallRecords::statusKey.toLatin1()},
            {ArrivalRole, "arrival"},
            {MinutesWaitedRole, "minutesWaited"}};
}

QVariant CallModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return QVariant();
    }
    const Row& row = rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.record.value(recordKeys[NameRole - CallIDRole]).toString();
    case ArrivalRole:
        return dateTimeOf(row.arrival);
    case MinutesWaitedRole:
        return row.arrival == unreadable
                   ? -1
                   : int(std::max<qint64>(0, nowMinute - row.arrival / msPerMinute));
    default:
        if (role >= CallIDRole && role <= StatusRole) {
            return row.record.value(recordKeys[role - CallIDRole]).toString();
        }
        return QVariant();
    }
}

CallModel::Row CallModel::rowFor(const QString& id, const QJsonObject& record) {
    const QString date = record.value(recordKeys[CreationDateRole - CallIDRole]).toString();
    bool numeric = false;
    const qint64 number = id.toLongLong(&numeric);
    return {id, record, readWallClock(date).value_or(unreadable), number, numeric};
}

bool CallModel::arrivesBefore(int left, int right) const {
    return rowArrivesBefore(rows.at(left), rows.at(right));
}

bool CallModel::recordArrivesBefore(const QJsonObject& left, const QJsonObject& right) {
    const auto rowOfRecord = [](const QJsonObject& record) {
        return rowFor(record.value(CallRecords::idKey).toString(), record);
    };
    return rowArrivesBefore(rowOfRecord(left), rowOfRecord(right));
}

QDateTime CallModel::arrivalOf(const QJsonObject& record) {
    return dateTimeOf(
        readWallClock(record.value(CallRecords::dateKey).toString()).value_or(unreadable));
}

QDateTime CallModel::dateTimeOf(qint64 arrival) {
    if (arrival == unreadable) {
        return QDateTime();
    }
    return QDateTime(QDate::fromJulianDay(arrival / msPerDay),
                     QTime::fromMSecsSinceStartOfDay(int(arrival % msPerDay)));
}

bool CallModel::rowArrivesBefore(const Row& a, const Row& b) {
    if (a.arrival != b.arrival) {
        return a.arrival < b.arrival;
    }
    if (a.numeric != b.numeric) {
        return a.numeric;
    }
    if (a.numeric && a.number != b.number) {
        return a.number < b.number;
    }
    return a.id < b.id;
}

int CallModel::rowOf(const QString& id) const {
    const auto found =
        std::lower_bound(rows.cbegin(), rows.cend(), id,
                         [](const Row& row, const QString& key) { return row.id < key; });
    return found != rows.cend() && found->id == id ? int(found - rows.cbegin()) : -1;
}

void CallModel::sync(const CallTable& calls) {
    const int before = count();
    int row = 0;
    auto call = calls.cbegin();
    // Both sides are in key order: one walk finds the runs that left, the runs that came and
    // the calls whose record changed.
    while (row < count() || call != calls.cend()) {
        const auto gone = [&](int at) {
            return at < count() && (call == calls.cend() || rows.at(at).id < call.key());
        };
        if (gone(row)) {
            int last = row;
            while (gone(last + 1)) {
                ++last;
            }
            removeRows(row, last);
            continue;
        }
        if (row == count() || call.key() < rows.at(row).id) {
            auto end = call;
            while (end != calls.cend() && (row == count() || end.key() < rows.at(row).id)) {
                ++end;
            }
            insertRows(row, call, end);
            row += int(std::distance(call, end));
            call = end;
            continue;
        }
        update(row, call.value());
        ++row;
        ++call;
    }
    if (count() != before) {
        emit countChanged();
    }
}

void CallModel::removeRows(int first, int last) {
    beginRemoveRows(QModelIndex(), first, last);
    rows.erase(rows.begin() + first, rows.begin() + last + 1);
    endRemoveRows();
}

void CallModel::insertRows(int at, CallTable::const_iterator from, CallTable::const_iterator to) {
    const int count = int(std::distance(from, to));
    beginInsertRows(QModelIndex(), at, at + count - 1);
    rows.insert(rows.begin() + at, size_t(count), Row{});
    for (auto row = rows.begin() + at; from != to; ++from, ++row) {
        *row = rowFor(from.key(), from.value());
    }
    endInsertRows();
}

void CallModel::update(int row, const QJsonObject& record) {
    Row& current = rows[row];
    // Records the merge did not touch still share their data with the table.
    if (current.record == record) {
        return;
    }
    QVector<int> roles;
    for (int role = CallIDRole; role <= StatusRole; ++role) {
        const QString& key = recordKeys[role - CallIDRole];
        if (current.record.value(key) != record.value(key)) {
            roles << role;
        }
    }
    current = rowFor(current.id, record);
    if (roles.contains(CreationDateRole)) {
        roles << ArrivalRole << MinutesWaitedRole;
    }
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, roles);
}

void CallModel::refreshWaits(const QDateTime& now) {
    const qint64 minute = wallClock(now.date(), now.time()) / msPerMinute;
    if (minute == nowMinute) {
        return;
    }
    nowMinute = minute;
    if (!rows.empty()) {
        emit dataChanged(index(0), index(count() - 1), {MinutesWaitedRole});
    }
}
