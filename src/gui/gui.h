#pragma once

#include "core/calldesk.h"
#include "core/callmodel.h"
#include "core/sortedcalls.h"
#include "gui/historybook.h"

#include <QByteArray>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include <memory>

class MainWindowDriver;
class QTimer;
class TrayPresenter;
class WakeSignals;

// The controller: the one object of ours that the QML documents see, as "GUI". It drives the
// main-window document by name and the tray, and leaves the exchanges with the site to its desk.
class GUI : public QQuickItem {
    Q_OBJECT
    Q_DISABLE_COPY(GUI)

public:
    GUI();
    ~GUI() override;

    void init();
    void raiseWindow();
    void rebuildList();

    void setProgramPath(const QString& path) { programPath = path; }
    QQmlApplicationEngine& documentEngine() { return engine; }

public slots:
    void getDataFromServer();
    void trayIconActivated(QSystemTrayIcon::ActivationReason);

public:
    Q_INVOKABLE void closeConversation(QString id);
    // True exactly when the site confirmed the close; the dialog keeps the text otherwise.
    Q_INVOKABLE bool closeConversationSendResult(QString result);
    Q_INVOKABLE void startConversation(QString id);
    Q_INVOKABLE void exitProgramm();
    Q_INVOKABLE void launchURL(QString url);
    Q_INVOKABLE void registerWorkplace(QString wsName, QString url, QString pass);
    // Opens the number's tel: address; false, with nothing opened, when the desktop has no
    // program for such addresses.
    Q_INVOKABLE bool dial(QString phone);

    // Keeps the main window hidden at start, in the tray (the autostart entry asks for it).
    void setStartInTray(bool inTray) { startInTray = inTray; }

    // The one start-up of a registered workplace, for the program, its tests and benchmarks:
    // publishes the context objects, loads the main-window document and initialises. Gives
    // the document's root object, null when it did not load.
    QObject* start(const QByteArray& document, const QVariantMap& contextObjects = {});
    // The start of an unregistered workstation: the registration form and nothing else.
    QObject* startRegistration();

signals:
    // A registration was stored but the program could not be started anew to load it: the
    // one who started the form goes on with the main window in this process.
    void registeredWithoutRestart();

private:
    // Tests see private state only through this one seam (tests/support/controllerseam.h).
    friend class ControllerSeam;

    void showServerError(const QString& description);
    void updateCallModel();
    void showTray();
    void connectDesk();
    void presentTray();
    void raiseIfPending();
    void callChosen(const QString& id);

    QQmlApplicationEngine engine;
    QObject* rootObject = nullptr;
    QString programPath;
    QString serverUrl;
    QString operatorID;
    // The call table, the call in conversation and every exchange with the site.
    CallDesk desk;
    QTimer* pollTimer = nullptr;
    // The tray's icon, owned by the tray below.
    QSystemTrayIcon* trayIcon = nullptr;

    bool serverErrorOpen = false;

    // The call table for views, published to documents as "pendingCalls" in working order.
    CallModel callModel;
    SortedCalls pendingCalls{&callModel};

    std::unique_ptr<TrayPresenter> tray;
    bool startInTray = false;
    std::unique_ptr<MainWindowDriver> mainWindow;
    // A resume or a network coming back asks the site at once.
    std::unique_ptr<WakeSignals> wake;
    // The desk's history for documents, published as "callHistory".
    HistoryBook historyBook{desk};
};
