#include "gui/gui.h"

#include "gui/callnotifier.h"
#include "gui/desktoplinks.h"
#include "gui/localonlynetwork.h"
#include "gui/messageboxes.h"
#include "gui/traypresenter.h"
#include "net/qstdout.h"
#include "storage/xhelper.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QPointer>
#include <QProcess>
#include <QQmlContext>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <malloc.h>
#include <utility>

namespace {
constexpr int pollInterval = 60000;
} // namespace

GUI::GUI()
    : QQuickItem(nullptr)
    , desk(XHelper().homeDir()) {
    LocalOnlyNetwork::install(engine);
    // Published before any document loads, so documents can bind to them from the start.
    QQmlContext* context = engine.rootContext();
    context->setContextProperty(QStringLiteral("GUI"), this);
    context->setContextProperty(QStringLiteral("pendingCalls"), &pendingCalls);
    context->setContextProperty(QStringLiteral("siteStatus"), &desk.status());
    context->setContextProperty(QStringLiteral("drafts"), &desk.drafts());
    context->setContextProperty(QStringLiteral("heldCalls"), &desk.heldCalls());
    connectDesk();
}

// The program keeps its controller until the process ends; a controller that is destroyed
// (as in tests) takes its timer and tray along.
GUI::~GUI() {
    // The documents go before the call model they are bound to.
    qDeleteAll(engine.rootObjects());
    tray.reset();
    delete pollTimer;
}

QObject* GUI::start(const QByteArray& document, const QVariantMap& contextObjects) {
    for (auto object = contextObjects.cbegin(); object != contextObjects.cend(); ++object) {
        engine.rootContext()->setContextProperty(object.key(), object.value());
    }
    engine.loadData(document, QUrl());
    init();
    return rootObject;
}

QObject* GUI::startRegistration() {
    engine.load(QUrl(QStringLiteral("qrc:/WorkplaceRegistration.qml")));
    return engine.rootObjects().value(0);
}

void GUI::init() {
    const QList<QObject*> roots = engine.rootObjects();
    rootObject = roots.isEmpty() ? nullptr : roots.first();

    QVariant result;
    invokeDocument(rootObject, "getServer", result);
    serverUrl = result.toString();
    invokeDocument(rootObject, "getOperatorID", result);
    operatorID = result.toString();
    desk.setSite(serverUrl, operatorID);

    pollTimer = new QTimer();
    connect(pollTimer, &QTimer::timeout, this, &GUI::getDataFromServer);
    pollTimer->start(pollInterval);
    // Waiting times move on with the poll timer, whether or not the site answers, and cost no
    // wake-up of their own.
    connect(pollTimer, &QTimer::timeout, &callModel,
            [this] { callModel.refreshWaits(QDateTime::currentDateTime()); });

    if (auto* window = qobject_cast<QWindow*>(rootObject)) {
        connect(window, &QWindow::activeChanged, this, [this, window] {
            if (window->isActive()) {
                attentionAsked = false;
            }
        });
    }
    showTray();
    if (startInTray && QSystemTrayIcon::isSystemTrayAvailable()) {
        invokeDocument(rootObject, "hideWindow", result);
    }
    getDataFromServer();
}

void GUI::connectDesk() {
    connect(&desk, &CallDesk::tableChanged, this, &GUI::rebuildList);
    connect(&desk, &CallDesk::listed, this, &GUI::raiseIfPending);
    connect(&desk, &CallDesk::listRefused, this, &GUI::showServerError);
    connect(&desk, &CallDesk::callTaken, this, &GUI::closeConversation);
    connect(&desk, &CallDesk::callsArrived, this, [this](const QList<QJsonObject>& calls) {
        if (tray) {
            tray->notifier().announce(calls);
        }
    });
    connect(&desk.status(), &SiteStatus::changed, this, &GUI::presentTray);
}

void GUI::showTray() {
    tray = std::make_unique<TrayPresenter>(serverUrl, [this] { return windowShown(); });
    trayIcon = tray->icon();
    connect(trayIcon, &QSystemTrayIcon::activated, this, &GUI::trayIconActivated);
    connect(tray.get(), &TrayPresenter::showHideChosen, this,
            [this] { trayIconActivated(QSystemTrayIcon::Trigger); });
    connect(tray.get(), &TrayPresenter::getDataChosen, this, &GUI::getDataFromServer);
    connect(tray.get(), &TrayPresenter::quitChosen, this, &GUI::exitProgramm);
    connect(&tray->notifier(), &CallNotifier::callChosen, this, &GUI::callChosen);
}

void GUI::invokeDocument(QObject* target, const char* function, QVariant& result,
                         const std::optional<QVariant>& argument) {
    if (!target) {
        return;
    }
    if (argument) {
        QMetaObject::invokeMethod(target, function, Qt::AutoConnection,
                                  Q_RETURN_ARG(QVariant, result), Q_ARG(QVariant, *argument));
    } else {
        QMetaObject::invokeMethod(target, function, Qt::AutoConnection,
                                  Q_RETURN_ARG(QVariant, result));
    }
}

void GUI::trayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason != QSystemTrayIcon::Trigger) {
        return;
    }
    QVariant result;
    const bool shown = windowShown();
    // A window that a poll brought up without the keyboard is what the click answers: it gets
    // the keyboard rather than going away.
    if (shown && !attentionAsked) {
        invokeDocument(rootObject, "hideWindow", result);
        return;
    }
    invokeDocument(rootObject, shown ? "raiseWindow" : "showWindow", result);
    takeKeyboard();
}

void GUI::raiseWindow() {
    QVariant result;
    if (!windowShown()) {
        invokeDocument(rootObject, "showWindow", result);
    }
    invokeDocument(rootObject, "raiseWindow", result);
    takeKeyboard();
}

void GUI::raiseIfPending() {
    if (desk.calls().isEmpty()) {
        return;
    }
    // A poll is no request of the operator's: the window comes up and asks for attention, and
    // the keyboard stays where the operator is typing.
    QWindow* window = qobject_cast<QWindow*>(rootObject);
    QVariant result;
    if (!windowShown()) {
        if (window) {
            window->setProperty("_q_showWithoutActivating", true);
        }
        invokeDocument(rootObject, "showWindow", result);
        if (window) {
            window->setProperty("_q_showWithoutActivating", QVariant());
        }
    }
    invokeDocument(rootObject, "raiseWindow", result);
    if (window && !window->isActive()) {
        attentionAsked = true;
        window->alert(0);
    }
}

bool GUI::windowShown() {
    QVariant result;
    invokeDocument(rootObject, "isVisible", result);
    return result.toBool();
}

void GUI::exitProgramm() {
    if (desk.holdsUnsentResult() && !MessageBoxes::confirmQuitWithUnsentResult()) {
        return;
    }
    QCoreApplication::exit(0);
}

void GUI::launchURL(QString url) {
    DesktopLinks::open(url);
}

bool GUI::dial(QString phone) {
    return DesktopLinks::dial(phone);
}

void GUI::getDataFromServer() {
    desk.poll();
}

void GUI::showServerError(const QString& description) {
    // Polls go on while the box is open; further reports go to standard output, so an
    // unattended workstation does not pile up one box per minute.
    if (serverErrorOpen) {
        qStdOut() << QObject::tr("Server error") << QStringLiteral(": ") << description << Qt::endl;
        return;
    }
    serverErrorOpen = true;
    MessageBoxes::show(QMessageBox::Information, QObject::tr("Server error"), description);
    serverErrorOpen = false;
}

void GUI::updateCallModel() {
    callModel.refreshWaits(QDateTime::currentDateTime());
    callModel.sync(desk.calls());
    // The parsed reply was freed just before; glibc keeps such memory unless asked to return it,
    // which at 10,000 calls is a few megabytes of resident size between polls.
    malloc_trim(0);
}

void GUI::rebuildList() {
    updateCallModel();
    // A list function may start an exchange whose nested poll changes the table or the
    // document: the walk goes over a copy, and a list that is gone meanwhile is left alone.
    const QPointer<QObject> list =
        rootObject ? rootObject->findChild<QObject*>(QStringLiteral("callerList"),
                                                     Qt::FindChildrenRecursively)
                   : nullptr;
    const CallTable snapshot = desk.calls();
    QVariant result;
    invokeDocument(list, "clearList", result);
    for (const QJsonObject& record : snapshot) {
        invokeDocument(list, "appendElement", result, QVariant(record));
    }
}

void GUI::startConversation(QString id) {
    desk.take(id);
}

void GUI::closeConversation(QString id) {
    const QVariant call(desk.openConversation(id));
    // The dialog that is sending runs the send in a handler of its own: a document replacing
    // it now would destroy it under that handler, so the new dialog opens after the send.
    if (resultUnderWay) {
        dialogAfterSend = call;
        return;
    }
    QVariant result;
    invokeDocument(rootObject, "showCloseConversationDialog", result, call);
}

bool GUI::closeConversationSendResult(QString result) {
    resultUnderWay = true;
    const bool confirmed = desk.sendResult(result);
    resultUnderWay = false;
    if (dialogAfterSend.isValid()) {
        QMetaObject::invokeMethod(
            this,
            [this, call = std::exchange(dialogAfterSend, QVariant())] {
                QVariant shown;
                invokeDocument(rootObject, "showCloseConversationDialog", shown, call);
            },
            Qt::QueuedConnection);
    }
    return confirmed;
}

void GUI::registerWorkplace(QString wsName, QString url, QString pass) {
    const CallDesk::Registration registration = CallDesk::registerWorkplace(wsName, url, pass);
    if (registration.outcome != CallDesk::Registration::Outcome::Stored) {
        // Restarting after a registration that was not stored would bring the form back.
        MessageBoxes::show(QMessageBox::Critical, QObject::tr("Critical"), registration.text,
                           registration.detail);
        return;
    }
    QProcess::startDetached(programPath, {});
    QCoreApplication::exit(0);
}

void GUI::presentTray() {
    if (tray) {
        tray->present(serverUrl, desk.calls().size(), desk.status());
    }
}

void GUI::callChosen(const QString& id) {
    raiseWindow();
    if (!id.isEmpty()) {
        startConversation(id);
    }
}

void GUI::takeKeyboard() {
    if (auto* window = qobject_cast<QWindow*>(rootObject)) {
        window->requestActivate();
    }
}
