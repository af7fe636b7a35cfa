#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QVariantList>

// The calls this workplace holds whose result the site has not confirmed: taken here, listed
// by the site as being processed, or with a draft. Published to the documents as "heldCalls",
// each call a record as the caller list has it, the earliest taken first.
class HeldCalls final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(HeldCalls)
    Q_PROPERTY(QVariantList records READ records NOTIFY changed)
    Q_PROPERTY(int count READ count NOTIFY changed)

public:
    explicit HeldCalls(QObject* parent = nullptr);

    QVariantList records() const;
    int count() const { return calls.size(); }
    Q_INVOKABLE bool contains(const QString& callID) const;

    void set(const QList<QJsonObject>& held);

signals:
    void changed();

private:
    QList<QJsonObject> calls;
};
