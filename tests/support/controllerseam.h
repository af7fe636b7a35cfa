#pragma once

#include "gui/gui.h"

// The one door tests have to the controller's private state, for what neither the documents
// nor the site can see: the poll timer, the tray icon, the call table, the call in
// conversation, the site's state and the drafts. Everything else is tested through the public
// surface.
class ControllerSeam {
public:
    explicit ControllerSeam(GUI& gui)
        : gui(gui) {}

    QTimer* pollTimer() const { return gui.pollTimer; }
    QSystemTrayIcon* trayIcon() const { return gui.trayIcon; }
    const CallTable& calls() const { return gui.desk.calls(); }
    QString currentCallID() const { return gui.desk.currentCallID(); }
    QObject* rootObject() const { return gui.rootObject; }
    bool serverErrorOpen() const { return gui.serverErrorOpen; }
    const SiteStatus& siteStatus() const { return gui.desk.status(); }
    DraftStore& drafts() const { return gui.desk.drafts(); }

private:
    GUI& gui;
};
