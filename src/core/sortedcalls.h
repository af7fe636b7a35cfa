#pragma once

#include <QSortFilterProxyModel>
#include <QString>

class CallModel;

// The calls in the order an operator works them: oldest arrival first, calls that arrived at
// the same time by numeric id, calls whose date cannot be read last.
class SortedCalls final : public QSortFilterProxyModel {
    Q_OBJECT
    Q_DISABLE_COPY(SortedCalls)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    explicit SortedCalls(CallModel* calls, QObject* parent = nullptr);

    int count() const { return rowCount(); }
    // The id of the call in a row of this view, or an empty text.
    Q_INVOKABLE QString callID(int row) const;
    Q_INVOKABLE bool contains(const QString& id) const;

signals:
    void countChanged();

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    CallModel* calls;
};
