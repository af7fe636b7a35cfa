#include "gui/callnotifier.h"

#include "core/callmodel.h"
#include "core/calltable.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include <algorithm>

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
const QString defaultAction = QStringLiteral("default");
constexpr int namedInSummary = 5;
constexpr int balloonMs = 15000;

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(service, path, interface, method);
}

// A number has no letters to give its line a direction, so a daemon lays it out in the
// direction of the line above: under an Arabic name "+7 900 555" would read "555 900 7+". The
// left-to-right mark keeps it as dialled.
QString callerLine(const QJsonObject& record) {
    return record.value(CallRecords::nameKey).toString() + QLatin1Char('\n') + QChar(0x200E) +
           record.value(CallRecords::phoneKey).toString();
}
} // namespace

CallNotifier::CallNotifier(QSystemTrayIcon* tray, QObject* parent)
    : QObject(parent)
    , tray(tray) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
    connect(tray, &QSystemTrayIcon::messageClicked, this,
            [this] { emit callChosen(balloonCallID); });
    askCapabilities();
}

void CallNotifier::askCapabilities() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call(QStringLiteral("GetCapabilities"))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isValid()) {
            bodyMarkup = reply.value().contains(QStringLiteral("body-markup"));
        }
        w->deleteLater();
    });
}

void CallNotifier::announce(const QList<QJsonObject>& calls) {
    if (!enabled || calls.isEmpty()) {
        return;
    }
    if (calls.size() == 1) {
        notify(tr("New call-back request"), callerLine(calls.first()), tr("Take the call"),
               calls.first().value(CallRecords::idKey).toString());
        return;
    }
    notify(tr("New call-back requests: %1").arg(calls.size()), summaryBody(calls),
           tr("Show the requests"), QString());
}

void CallNotifier::tell(const QString& summary, const QString& body) {
    notify(summary, body, tr("Show the window"), QString(), false);
}

// One name per line, the callers who wait longest first: each line is laid out in its own
// direction, whatever its script.
QString CallNotifier::summaryBody(QList<QJsonObject> calls) {
    std::stable_sort(calls.begin(), calls.end(), &CallModel::recordArrivesBefore);
    QStringList names;
    for (int i = 0; i < calls.size() && i < namedInSummary; ++i) {
        names << calls.at(i).value(CallRecords::nameKey).toString();
    }
    if (calls.size() > namedInSummary) {
        names << QStringLiteral("…");
    }
    return names.join(QLatin1Char('\n'));
}

void CallNotifier::notify(const QString& summary, const QString& body, const QString& action,
                          const QString& callID, bool orBalloon) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (orBalloon) {
            showBalloon(summary, body, callID);
        }
        return;
    }
    QVariantMap hints{{QStringLiteral("category"), QStringLiteral("im.received")},
                      {QStringLiteral("desktop-entry"), QStringLiteral("org.vorlan.Client")}};
    if (sound) {
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    } else {
        hints.insert(QStringLiteral("suppress-sound"), true);
    }
    QDBusMessage message = call(QStringLiteral("Notify"));
    message << QStringLiteral("Vorlan") << uint(0) << QStringLiteral("org.vorlan.Client") << summary
            << bodyText(body) << QStringList{defaultAction, action} << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, summary, body, callID, orBalloon](QDBusPendingCallWatcher* w) {
                notified(w, summary, body, callID, orBalloon);
            });
}

void CallNotifier::notified(QDBusPendingCallWatcher* watcher, const QString& summary,
                            const QString& body, const QString& callID, bool orBalloon) {
    const QDBusPendingReply<uint> reply = *watcher;
    watcher->deleteLater();
    if (reply.isError()) {
        if (orBalloon) {
            showBalloon(summary, body, callID);
        }
        return;
    }
    shown.insert(reply.value(), callID);
}

void CallNotifier::showBalloon(const QString& summary, const QString& body, const QString& callID) {
    balloonCallID = callID;
    tray->showMessage(summary, body, QSystemTrayIcon::Information, balloonMs);
}

QString CallNotifier::bodyText(const QString& text) const {
    return bodyMarkup ? text.toHtmlEscaped() : text;
}

void CallNotifier::actionInvoked(uint id, const QString& action) {
    if (action == defaultAction && shown.contains(id)) {
        emit callChosen(shown.value(id));
    }
}

void CallNotifier::notificationClosed(uint id, uint reason) {
    Q_UNUSED(reason)
    shown.remove(id);
}
