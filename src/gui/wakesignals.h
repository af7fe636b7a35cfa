#pragma once

#include <QObject>

// The system's word that the list may be stale: the machine resumed from suspend (logind), or the
// network came back (NetworkManager). Both are heard on the system bus; without one, nothing comes.
class WakeSignals final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(WakeSignals)

public:
    explicit WakeSignals(QObject* parent = nullptr);

signals:
    void woke();

private slots:
    void sleepPrepared(bool sleeping);
    void networkStateChanged(uint state);

private:
    // NetworkManager's last state as heard; 0 is its "unknown".
    uint networkState = 0;
};
