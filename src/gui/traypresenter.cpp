#include "gui/traypresenter.h"

#include "core/sitestatus.h"
#include "gui/callnotifier.h"
#include "gui/pictures.h"
#include "net/qstdout.h"
#include "storage/deskpreferences.h"
#include "storage/xhelper.h"

#include <QMenu>
#include <QSystemTrayIcon>

TrayPresenter::TrayPresenter(const QString& serverUrl, std::function<bool()> windowShown,
                             QObject* parent)
    : QObject(parent)
    , tray(std::make_unique<QSystemTrayIcon>())
    , windowShown(std::move(windowShown))
    , menu(std::make_unique<QMenu>()) {
    tray->setIcon(Pictures::icon(iconPicture));
    tray->setToolTip(QStringLiteral("Vorlan - ") + serverUrl);
    tray->setVisible(true);
    callNotifier = std::make_unique<CallNotifier>(tray.get());
    showHide = addAction(tr("Show"), &TrayPresenter::showHideChosen);
    addAction(tr("Get data now"), &TrayPresenter::getDataChosen);
    menu->addSeparator();
    notifyAction = menu->addAction(tr("Announce new requests"));
    soundAction = menu->addAction(tr("Play a sound for new requests"));
    for (QAction* toggle : {notifyAction, soundAction}) {
        toggle->setCheckable(true);
        connect(toggle, &QAction::triggered, this, &TrayPresenter::storeAnnouncements);
    }
    XHelper helper;
    const DeskPreferences preferences = DeskPreferences::load(helper);
    setAnnouncements(preferences.notify, preferences.sound);
    menu->addSeparator();
    addAction(tr("Quit"), &TrayPresenter::quitChosen);
    connect(menu.get(), &QMenu::aboutToShow, this,
            [this] { showHide->setText(this->windowShown() ? tr("Hide") : tr("Show")); });
    // A screen reader names the popup menu by the program it belongs to.
    menu->setAccessibleName(QStringLiteral("Vorlan"));
    tray->setContextMenu(menu.get());
}

TrayPresenter::~TrayPresenter() {
    tray->setContextMenu(nullptr);
}

QAction* TrayPresenter::addAction(const QString& text, void (TrayPresenter::*chosen)()) {
    QAction* action = menu->addAction(text);
    connect(action, &QAction::triggered, this, chosen);
    return action;
}

void TrayPresenter::setAnnouncements(bool notify, bool sound) {
    notifyAction->setChecked(notify);
    soundAction->setChecked(sound);
    soundAction->setEnabled(notify);
    callNotifier->setEnabled(notify);
    callNotifier->setSound(sound);
}

void TrayPresenter::tellKeptInTrayOnce() {
    XHelper helper;
    DeskPreferences preferences = DeskPreferences::load(helper);
    if (preferences.toldKeptInTray) {
        return;
    }
    callNotifier->tell(tr("Vorlan keeps running"),
                       tr("New requests still reach you here. To end Vorlan, choose Quit in this "
                          "icon's menu."));
    preferences.toldKeptInTray = true;
    preferences.store(helper);
}

void TrayPresenter::storeAnnouncements() {
    XHelper helper;
    DeskPreferences chosen = DeskPreferences::load(helper);
    chosen.notify = notifyAction->isChecked();
    chosen.sound = soundAction->isChecked();
    setAnnouncements(chosen.notify, chosen.sound);
    if (!chosen.store(helper)) {
        qStdOut() << "The announcement settings could not be saved to " << helper.confPath()
                  << Qt::endl;
    }
}

void TrayPresenter::present(const QString& serverUrl, int pendingCalls, const SiteStatus& status,
                            int closedToday) {
    // Setting an icon makes the tray host redraw it; only a change of picture does. A failing
    // site outweighs pending calls: the list may no longer be true.
    const QString picture = status.isFailing() ? QStringLiteral("icon-offline")
                            : pendingCalls > 0 ? QStringLiteral("icon-yellow")
                                               : QStringLiteral("icon");
    if (iconPicture != picture) {
        iconPicture = picture;
        tray->setIcon(Pictures::icon(picture));
    }
    const QString text = toolTip(serverUrl, pendingCalls, status, closedToday);
    if (tray->toolTip() != text) {
        tray->setToolTip(text);
    }
}

QString TrayPresenter::toolTip(const QString& serverUrl, int pendingCalls, const SiteStatus& status,
                               int closedToday) {
    QString text = QStringLiteral("Vorlan - ") + serverUrl;
    if (pendingCalls > 0) {
        text += QLatin1Char('\n') + tr("Pending requests: %1").arg(pendingCalls);
    }
    if (closedToday > 0) {
        text += QLatin1Char('\n') + tr("Closed today: %1").arg(closedToday);
    }
    if (status.isFailing()) {
        text += QLatin1Char('\n') + status.state();
    }
    if (!status.delivery().isEmpty()) {
        text += QLatin1Char('\n') + status.delivery();
    }
    return text;
}
