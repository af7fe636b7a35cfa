#pragma once

#include <QJSValue>
#include <QObject>
#include <QStringList>
#include <QVariant>

// What a recording main-window document has recorded so far: its `log` property, which QML
// hands over as a script value.
inline QStringList recordedLog(const QObject* document) {
    QVariant value = document->property("log");
    if (value.userType() == qMetaTypeId<QJSValue>()) {
        value = value.value<QJSValue>().toVariant();
    }
    return value.toStringList();
}
