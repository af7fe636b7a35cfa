#include "gui/wakesignals.h"

#include <QDBusConnection>
#include <QString>

namespace {
// NetworkManager's NM_STATE_CONNECTED_LOCAL: from here up, some network is there.
constexpr uint connectedLocal = 50;

bool isConnected(uint state) {
    return state >= connectedLocal;
}
} // namespace

WakeSignals::WakeSignals(QObject* parent)
    : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                this, SLOT(sleepPrepared(bool)));
    bus.connect(QStringLiteral("org.freedesktop.NetworkManager"),
                QStringLiteral("/org/freedesktop/NetworkManager"),
                QStringLiteral("org.freedesktop.NetworkManager"), QStringLiteral("StateChanged"),
                this, SLOT(networkStateChanged(uint)));
}

void WakeSignals::sleepPrepared(bool sleeping) {
    if (!sleeping) {
        emit woke();
    }
}

void WakeSignals::networkStateChanged(uint state) {
    const bool cameBack = isConnected(state) && !isConnected(networkState);
    networkState = state;
    if (cameBack) {
        emit woke();
    }
}
