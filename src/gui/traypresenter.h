#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CallNotifier;
class QAction;
class QMenu;
class QSystemTrayIcon;
class SiteStatus;

// The tray icon and what it tells and offers: its picture changes while calls are pending, its
// tooltip adds their count and the site's state to the site address, its context menu offers
// Show/Hide, Get data now, the announcement switches (kept in vorlan.conf) and Quit, and its
// notifier announces new calls.
class TrayPresenter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(TrayPresenter)

public:
    // Shows the icon with the tooltip "Vorlan - " and the site address.
    TrayPresenter(const QString& serverUrl, std::function<bool()> windowShown,
                  QObject* parent = nullptr);
    ~TrayPresenter() override;

    QSystemTrayIcon* icon() const { return tray.get(); }
    CallNotifier& notifier() const { return *callNotifier; }

    // `closedToday`, when above 0, adds the day's closed calls.
    void present(const QString& serverUrl, int pendingCalls, const SiteStatus& status,
                 int closedToday = 0);
    // The first time ever the operator closes the window, says that the program stays here.
    void tellKeptInTrayOnce();

    static QString toolTip(const QString& serverUrl, int pendingCalls, const SiteStatus& status,
                           int closedToday = 0);

signals:
    void showHideChosen();
    void getDataChosen();
    void quitChosen();

private:
    QAction* addAction(const QString& text, void (TrayPresenter::*chosen)());
    void setAnnouncements(bool notify, bool sound);
    void storeAnnouncements();

    std::unique_ptr<QSystemTrayIcon> tray;
    std::function<bool()> windowShown;
    std::unique_ptr<QMenu> menu;
    QAction* showHide = nullptr;
    QAction* notifyAction = nullptr;
    QAction* soundAction = nullptr;
    QString iconPicture = QStringLiteral("icon");
    // Last: it shows its balloons on the icon.
    std::unique_ptr<CallNotifier> callNotifier;
};
