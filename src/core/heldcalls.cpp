#include "core/heldcalls.h"

#include "core/calltable.h"

#include <algorithm>

HeldCalls::HeldCalls(QObject* parent)
    : QObject(parent) {}

QVariantList HeldCalls::records() const {
    QVariantList list;
    list.reserve(calls.size());
    for (const QJsonObject& call : calls) {
        list << call.toVariantMap();
    }
    return list;
}

bool HeldCalls::contains(const QString& callID) const {
    return std::any_of(calls.cbegin(), calls.cend(), [&callID](const QJsonObject& call) {
        return call.value(CallRecords::idKey).toString() == callID;
    });
}

void HeldCalls::set(const QList<QJsonObject>& held) {
    if (held != calls) {
        calls = held;
        emit changed();
    }
}
