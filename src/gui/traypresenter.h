#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;
class SiteStatus;

// What the tray icon tells and offers: its picture changes while calls are pending, its
// tooltip adds their count and the site's state to the site address, and its context menu
// offers Show/Hide, Get data now, the announcement switches and Quit.
class TrayPresenter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(TrayPresenter)

public:
    TrayPresenter(QSystemTrayIcon* tray, std::function<bool()> windowShown,
                  QObject* parent = nullptr);
    ~TrayPresenter() override;

    void present(const QString& serverUrl, int pendingCalls, const SiteStatus& status);
    void setAnnouncements(bool notify, bool sound);

    static QString toolTip(const QString& serverUrl, int pendingCalls, const SiteStatus& status);

signals:
    void showHideChosen();
    void getDataChosen();
    void quitChosen();
    void announcementsChosen(bool notify, bool sound);

private:
    QAction* addAction(const QString& text, void (TrayPresenter::*chosen)());

    QSystemTrayIcon* tray;
    std::function<bool()> windowShown;
    std::unique_ptr<QMenu> menu;
    QAction* showHide = nullptr;
    QAction* notifyAction = nullptr;
    QAction* soundAction = nullptr;
    bool pendingIcon = false;
};
