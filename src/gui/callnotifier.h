#pragma once

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;
class QSystemTrayIcon;

// Announces new call-back requests on the desktop: one notification naming the caller, or one
// summary for several, through the freedesktop notification service on the session bus, with
// an action that takes the call. Without that service, the tray icon's own message balloon.
class CallNotifier final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(CallNotifier)

public:
    explicit CallNotifier(QSystemTrayIcon* tray, QObject* parent = nullptr);

    void setEnabled(bool on) { enabled = on; }
    void setSound(bool on) { sound = on; }
    void announce(const QList<QJsonObject>& calls);
    // Tells the operator something about the program itself, whether calls are announced or not,
    // through the notification service only: a balloon would cover the tray icon just as the
    // operator reaches for it.
    void tell(const QString& summary, const QString& body);
    // The body of the one notification for several calls: the names of the callers waiting
    // longest, then "…".
    static QString summaryBody(QList<QJsonObject> calls);

signals:
    // The operator chose the notification of one call (empty id: of several).
    void callChosen(const QString& callID);

private slots:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    // Without a notification service, a balloon from the tray icon says it instead, unless
    // `orBalloon` is false.
    void notify(const QString& summary, const QString& body, const QString& action,
                const QString& callID, bool orBalloon = true);
    void notified(QDBusPendingCallWatcher* watcher, const QString& summary, const QString& body,
                  const QString& callID, bool orBalloon);
    void showBalloon(const QString& summary, const QString& body, const QString& callID);
    void askCapabilities();
    QString bodyText(const QString& text) const;

    QSystemTrayIcon* tray;
    bool enabled = true;
    bool sound = true;
    // Site text goes into the body; a service that reads markup gets it escaped.
    bool bodyMarkup = true;
    QHash<uint, QString> shown;
    QString balloonCallID;
};
