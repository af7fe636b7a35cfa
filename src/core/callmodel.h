#pragma once

#include "core/calltable.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <vector>

// The call table as a list model for views: one row per call, in the table's key order, with
// the record's members and what a view derives from them. sync() follows the table with
// fine-grained row signals, so views keep their scroll position and selection.
class CallModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY(CallModel)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        CallIDRole = Qt::UserRole + 1,
        CreationDateRole,
        NameRole,
        PhoneRole,
        StatusRole,
        // The arrival as a local date-time; invalid when the date cannot be read.
        ArrivalRole,
        // Whole minutes since the arrival at the last refresh; -1 when the date cannot be read.
        MinutesWaitedRole,
    };

    explicit CallModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
    int count() const { return int(rows.size()); }

    void sync(const CallTable& calls);
    // Waiting times are counted against `now`; rows are told only when a minute has passed.
    void refreshWaits(const QDateTime& now);

    // The order a call is worked in: oldest arrival first, equal arrivals by numeric id, calls
    // whose date cannot be read last.
    bool arrivesBefore(int left, int right) const;
    // The same order for two call records outside any model.
    static bool recordArrivesBefore(const QJsonObject& left, const QJsonObject& right);
    // A call record's arrival as a local date-time; invalid when its date cannot be read.
    static QDateTime arrivalOf(const QJsonObject& record);
    // The source row of a call, or -1.
    int rowOf(const QString& id) const;

signals:
    void countChanged();

private:
    struct Row {
        QString id;
        QJsonObject record;
        // Local wall-clock milliseconds since the start of the Julian calendar.
        qint64 arrival;
        qint64 number;
        bool numeric;
    };

    static Row rowFor(const QString& id, const QJsonObject& record);
    static QDateTime dateTimeOf(qint64 arrival);
    static bool rowArrivesBefore(const Row& a, const Row& b);
    void removeRows(int first, int last);
    void insertRows(int at, CallTable::const_iterator from, CallTable::const_iterator to);
    void update(int row, const QJsonObject& record);

    std::vector<Row> rows;
    qint64 nowMinute = 0;
};
