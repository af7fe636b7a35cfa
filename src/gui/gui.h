#pragma once

#include "core/callmodel.h"
#include "core/calltable.h"
#include "core/sitestatus.h"
#include "core/sortedcalls.h"
#include "storage/draftstore.h"

#include <QJsonObject>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QVariant>

#include <memory>

class CallNotifier;
class QTimer;
class TrayPresenter;

// The controller: the one object of ours that the QML documents see, as "GUI". It holds the
// running client's state, polls the site, and drives the main-window document by name.
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

private:
    // Tests see private state only through this one seam (tests/support/controllerseam.h).
    friend class ControllerSeam;

    // Calls a function of a document by name; a call that cannot be made has no effect.
    static void invokeDocument(QObject* target, const char* function, QVariant& result,
                               const QVariantList& arguments = {});
    void showTrayIcon();
    void showServerError(const QString& description);
    QJsonObject recordFor(const QString& id) const;
    void publishContextObjects();
    void updateCallModel();
    void refreshWaitsWithPollTimer();

    void setUpDesk();
    SiteApi::Reply askSite(const QString& script, const SiteApi::Fields& fields);
    void noteListReceived();
    void presentTray();
    bool windowShown();
    void callChosen(const QString& id);
    void chooseAnnouncements(bool notify, bool sound);
    bool confirmQuit();
    bool holdsUnsentResult() const;
    static void showRegistrationRefusal(const QString& description);

    QQmlApplicationEngine engine;
    QObject* rootObject = nullptr;
    QString programPath;
    QString serverUrl;
    QString operatorID;
    CallTable calls;
    QTimer* pollTimer = nullptr;
    QString currentCallID;
    QSystemTrayIcon* trayIcon = nullptr;

    // The record of the call as the operator took it, for when a poll removes it meanwhile.
    QJsonObject takenCall;
    bool serverErrorOpen = false;

    // The call table for views, published to documents as "pendingCalls" in working order.
    CallModel callModel;
    SortedCalls pendingCalls{&callModel};

    SiteStatus siteStatus;
    DraftStore drafts;
    std::unique_ptr<TrayPresenter> tray;
    std::unique_ptr<CallNotifier> notifier;
    // The calls the previous poll listed, in key order: only calls new since then are announced.
    QStringList announcedCalls;
    // A take or a close waits for the site in a nested loop; a second click must not resend it.
    bool takeUnderWay = false;
    bool closeUnderWay = false;
    bool startInTray = false;
};
