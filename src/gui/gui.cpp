#include "gui/gui.h"

#include "gui/callnotifier.h"
#include "gui/desktoplinks.h"
#include "gui/localonlynetwork.h"
#include "gui/mainwindowdriver.h"
#include "gui/messageboxes.h"
#include "gui/traypresenter.h"
#include "gui/wakesignals.h"
#include "net/qstdout.h"
#include "storage/xhelper.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QQmlContext>
#include <QTimer>
#include <QUrl>

#include <malloc.h>

namespace {
constexpr int pollInterval = 60000;
} // namespace

GUI::GUI()
    : QQuickItem(nullptr)
    , desk(XHelper().homeDir())
    , mainWindow(std::make_unique<MainWindowDriver>()) {
    LocalOnlyNetwork::install(engine);
    // Published before any document loads, so documents can bind to them from the start.
    QQmlContext* context = engine.rootContext();
    context->setContextProperty(QStringLiteral("GUI"), this);
    context->setContextProperty(QStringLiteral("pendingCalls"), &pendingCalls);
    context->setContextProperty(QStringLiteral("siteStatus"), &desk.status());
    context->setContextProperty(QStringLiteral("drafts"), &desk.drafts());
    context->setContextProperty(QStringLiteral("heldCalls"), &desk.heldCalls());
    context->setContextProperty(QStringLiteral("callHistory"), &historyBook);
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

    mainWindow->attach(rootObject);
    serverUrl = mainWindow->text("getServer");
    operatorID = mainWindow->text("getOperatorID");
    desk.setSite(serverUrl, operatorID);
    XHelper helper;
    desk.setHistoryDays(CallHistory::daysKept(helper));
    historyBook.start();

    pollTimer = new QTimer();
    connect(pollTimer, &QTimer::timeout, this, &GUI::getDataFromServer);
    pollTimer->start(pollInterval);
    // Waiting times move on with the poll timer, whether or not the site answers, and cost no
    // wake-up of their own.
    connect(pollTimer, &QTimer::timeout, &callModel,
            [this] { callModel.refreshWaits(QDateTime::currentDateTime()); });
    wake = std::make_unique<WakeSignals>();
    connect(wake.get(), &WakeSignals::woke, &desk, &CallDesk::catchUp);

    showTray();
    if (startInTray && QSystemTrayIcon::isSystemTrayAvailable()) {
        mainWindow->hide();
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
    connect(&historyBook, &HistoryBook::changed, this, &GUI::presentTray);
}

void GUI::showTray() {
    tray = std::make_unique<TrayPresenter>(serverUrl, [this] { return mainWindow->isShown(); });
    trayIcon = tray->icon();
    connect(trayIcon, &QSystemTrayIcon::activated, this, &GUI::trayIconActivated);
    connect(tray.get(), &TrayPresenter::showHideChosen, this,
            [this] { trayIconActivated(QSystemTrayIcon::Trigger); });
    connect(tray.get(), &TrayPresenter::getDataChosen, this, &GUI::getDataFromServer);
    connect(tray.get(), &TrayPresenter::quitChosen, this, &GUI::exitProgramm);
    connect(&tray->notifier(), &CallNotifier::callChosen, this, &GUI::callChosen);
    // Queued: the document's own close handler hides the window after this filter has seen it.
    connect(
        mainWindow.get(), &MainWindowDriver::closedByOperator, tray.get(),
        [this] {
            if (!mainWindow->isShown()) {
                tray->tellKeptInTrayOnce();
            }
        },
        Qt::QueuedConnection);
}

void GUI::trayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) {
        mainWindow->toggle();
    }
}

void GUI::raiseWindow() {
    mainWindow->bringForward();
}

// A poll is no request of the operator's: the window comes up and asks for attention, and the
// keyboard stays where the operator is typing.
void GUI::raiseIfPending() {
    if (!desk.calls().isEmpty()) {
        mainWindow->bringUpQuietly();
    }
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
    mainWindow->redrawList(desk.calls());
}

void GUI::startConversation(QString id) {
    desk.take(id);
}

void GUI::closeConversation(QString id) {
    mainWindow->showConversationDialog(desk.openConversation(id));
}

bool GUI::closeConversationSendResult(QString result) {
    mainWindow->setSending(true);
    const bool confirmed = desk.sendResult(result);
    mainWindow->setSending(false);
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
    if (QProcess::startDetached(programPath, {})) {
        QCoreApplication::exit(0);
        return;
    }
    // Left to the event loop, so the form is no longer running this call when it goes.
    QMetaObject::invokeMethod(
        this,
        [this] {
            emit registeredWithoutRestart();
            MessageBoxes::show(
                QMessageBox::Warning, QObject::tr("Registration"),
                QObject::tr("The workplace is registered, but Vorlan could not start again from "
                            "%1. It goes on with the main window; start it again later.")
                    .arg(programPath));
        },
        Qt::QueuedConnection);
}

void GUI::presentTray() {
    if (tray) {
        tray->present(serverUrl, desk.calls().size(), desk.status(), historyBook.closedToday());
    }
}

void GUI::callChosen(const QString& id) {
    raiseWindow();
    if (!id.isEmpty()) {
        startConversation(id);
    }
}
