#include "core/sortedcalls.h"

#include "core/callmodel.h"

SortedCalls::SortedCalls(CallModel* source, QObject* parent)
    : QSortFilterProxyModel(parent)
    , calls(source) {
    setSourceModel(calls);
    // Only the arrival orders rows, so a changed status or waiting time never moves one.
    setSortRole(CallModel::ArrivalRole);
    sort(0);
    connect(calls, &CallModel::countChanged, this, &SortedCalls::countChanged);
}

QString SortedCalls::callID(int row) const {
    return data(index(row, 0), CallModel::CallIDRole).toString();
}

bool SortedCalls::contains(const QString& id) const {
    return calls->rowOf(id) >= 0;
}

bool SortedCalls::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return calls->arrivesBefore(left.row(), right.row());
}
