#include "gui/gui.h"

#include "gui/callnotifier.h"
#include "gui/localonlynetwork.h"
#include "gui/messageboxes.h"
#include "gui/traypresenter.h"
#include "net/qstdout.h"
#include "net/siteapi.h"
#include "storage/deskpreferences.h"
#include "storage/workplace.h"
#include "storage/xhelper.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QIcon>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QQmlContext>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <malloc.h>

namespace {
constexpr int pollInterval = 60000;
// How long the desktop may take to say whether it has a program for tel: addresses.
constexpr int dialQueryMs = 3000;
const QString callIdKey = QStringLiteral("callID");

QString draftsDirectory() {
    return XHelper().homeDir() + QStringLiteral("/drafts");
}

// What is wrong with a typed site address before anything is sent to it; empty if nothing.
QString siteAddressProblem(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty()) {
        return QObject::tr("The site address must begin with http:// or https://, for example "
                           "http://www.example.com");
    }
    if (url.path().endsWith(QLatin1String("/vorlan/")) ||
        url.path().endsWith(QLatin1String("/vorlan"))) {
        return QObject::tr("Type the site address without \"/vorlan/\" at its end: the "
                           "program adds it itself.");
    }
    return QString();
}

// What a document may hand to the desktop: calls, mail and web pages, never local files or shares.
const QStringList launchableSchemes{QStringLiteral("tel"),  QStringLiteral("callto"),
                                    QStringLiteral("sip"),  QStringLiteral("mailto"),
                                    QStringLiteral("http"), QStringLiteral("https")};
} // namespace

GUI::GUI()
    : QQuickItem(nullptr)
    , drafts(draftsDirectory()) {
    LocalOnlyNetwork::install(engine);
    engine.rootContext()->setContextProperty(QStringLiteral("GUI"), this);
    publishContextObjects();
}

// Published before any document loads, so documents can bind to them from the start.
void GUI::publishContextObjects() {
    QQmlContext* context = engine.rootContext();
    context->setContextProperty(QStringLiteral("pendingCalls"), &pendingCalls);
    context->setContextProperty(QStringLiteral("siteStatus"), &siteStatus);
    context->setContextProperty(QStringLiteral("drafts"), &drafts);
}

// The program keeps its controller until the process ends; a controller that is destroyed
// (as in tests) takes its timer and tray icon with it.
GUI::~GUI() {
    // The documents go before the call model they are bound to.
    qDeleteAll(engine.rootObjects());
    tray.reset();
    notifier.reset();
    delete trayIcon;
    delete pollTimer;
}

void GUI::init() {
    const QList<QObject*> roots = engine.rootObjects();
    rootObject = roots.isEmpty() ? nullptr : roots.first();

    QVariant result;
    invokeDocument(rootObject, "getServer", result);
    serverUrl = result.toString();
    invokeDocument(rootObject, "getOperatorID", result);
    operatorID = result.toString();

    pollTimer = new QTimer();
    connect(pollTimer, &QTimer::timeout, this, &GUI::getDataFromServer);
    pollTimer->start(pollInterval);
    refreshWaitsWithPollTimer();

    showTrayIcon();
    setUpDesk();
    getDataFromServer();
}

void GUI::showTrayIcon() {
    trayIcon = new QSystemTrayIcon();
    trayIcon->setIcon(QIcon(QStringLiteral(":/icon.png")));
    trayIcon->setToolTip(QStringLiteral("Vorlan - ") + serverUrl);
    trayIcon->setVisible(true);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &GUI::trayIconActivated);
}

void GUI::invokeDocument(QObject* target, const char* function, QVariant& result,
                         const QVariantList& arguments) {
    if (!target) {
        return;
    }
    if (arguments.isEmpty()) {
        QMetaObject::invokeMethod(target, function, Qt::AutoConnection,
                                  Q_RETURN_ARG(QVariant, result));
    } else {
        QMetaObject::invokeMethod(target, function, Qt::AutoConnection,
                                  Q_RETURN_ARG(QVariant, result),
                                  Q_ARG(QVariant, arguments.first()));
    }
}

void GUI::trayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason != QSystemTrayIcon::Trigger) {
        return;
    }
    QVariant result;
    invokeDocument(rootObject, windowShown() ? "hideWindow" : "showWindow", result);
}

void GUI::raiseWindow() {
    QVariant result;
    if (!windowShown()) {
        invokeDocument(rootObject, "showWindow", result);
    }
    invokeDocument(rootObject, "raiseWindow", result);
}

void GUI::exitProgramm() {
    if (!confirmQuit()) {
        return;
    }
    QCoreApplication::exit(0);
}

void GUI::launchURL(QString url) {
    const QUrl address(url, QUrl::TolerantMode);
    if (!launchableSchemes.contains(address.scheme())) {
        qStdOut() << "Not opening \"" << address.toDisplayString()
                  << "\": only tel:, callto:, sip:, mailto:, http: and https: addresses are opened"
                  << Qt::endl;
        return;
    }
    QDesktopServices::openUrl(address);
}

void GUI::getDataFromServer() {
    const SiteApi::Reply reply =
        askSite(QStringLiteral("get.php"), {{QStringLiteral("type"), QStringLiteral("2")},
                                            {QStringLiteral("operator"), operatorID}});
    if (!reply.ok) {
        siteStatus.exchangeFailed(reply);
        return;
    }
    if (SiteApi::isEnvelope(reply.text)) {
        siteStatus.listRefused(SiteApi::description(reply.text));
        showServerError(SiteApi::description(reply.text));
        return;
    }
    CallRecords::merge(calls, SiteApi::parse(reply.text).array());
    rebuildList();
    if (!calls.isEmpty()) {
        raiseWindow();
    }
    noteListReceived();
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

// Waiting times move on with the poll timer, whether or not the site answers, and cost no
// wake-up of their own.
void GUI::refreshWaitsWithPollTimer() {
    connect(pollTimer, &QTimer::timeout, &callModel,
            [this] { callModel.refreshWaits(QDateTime::currentDateTime()); });
}

void GUI::updateCallModel() {
    callModel.refreshWaits(QDateTime::currentDateTime());
    callModel.sync(calls);
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
    const CallTable snapshot = calls;
    QVariant result;
    invokeDocument(list, "clearList", result);
    for (const QJsonObject& record : snapshot) {
        invokeDocument(list, "appendElement", result, {QVariant(record)});
    }
}

void GUI::startConversation(QString id) {
    if (takeUnderWay) {
        return;
    }
    const QScopedValueRollback<bool> underWay(takeUnderWay, true);
    siteStatus.actionStarted();
    const QJsonObject asTaken = recordFor(id);
    const SiteApi::Reply reply =
        askSite(QStringLiteral("set.php"), {{QStringLiteral("action"), QStringLiteral("process")},
                                            {QStringLiteral("operator"), operatorID},
                                            {QStringLiteral("id"), id}});
    if (!reply.ok) {
        siteStatus.actionUnreachable(SiteStatus::Action::Take, reply);
        return;
    }
    if (SiteApi::resultText(reply.text) == QLatin1String("0")) {
        takenCall = asTaken;
        closeConversation(id);
    } else {
        siteStatus.actionRefused(SiteStatus::Action::Take, SiteApi::description(reply.text));
    }
    getDataFromServer();
}

QJsonObject GUI::recordFor(const QString& id) const {
    if (calls.contains(id)) {
        return calls.value(id);
    }
    if (takenCall.value(callIdKey).toString() == id && !takenCall.isEmpty()) {
        return takenCall;
    }
    return CallRecords::unknown(id);
}

void GUI::closeConversation(QString id) {
    currentCallID = id;
    QVariant result;
    invokeDocument(rootObject, "showCloseConversationDialog", result, {QVariant(recordFor(id))});
}

bool GUI::closeConversationSendResult(QString result) {
    if (closeUnderWay) {
        return false;
    }
    const QScopedValueRollback<bool> underWay(closeUnderWay, true);
    siteStatus.actionStarted();
    const QString id = currentCallID;
    const SiteApi::Reply reply =
        askSite(QStringLiteral("set.php"), {{QStringLiteral("action"), QStringLiteral("close")},
                                            {QStringLiteral("operator"), operatorID},
                                            {QStringLiteral("id"), id},
                                            {QStringLiteral("comment"), result}});
    if (!reply.ok) {
        siteStatus.actionUnreachable(SiteStatus::Action::Close, reply);
        return false;
    }
    const bool confirmed = SiteApi::resultNumber(reply.text) == 0;
    if (!confirmed) {
        siteStatus.actionRefused(SiteStatus::Action::Close, SiteApi::description(reply.text));
    } else {
        drafts.remove(id);
        calls.remove(id);
        // Another call may have been taken while the site answered; that one stays current.
        if (currentCallID == id) {
            currentCallID.clear();
        }
        rebuildList();
    }
    getDataFromServer();
    return confirmed;
}

void GUI::registerWorkplace(QString wsName, QString url, QString pass) {
    const QString problem = siteAddressProblem(url);
    if (!problem.isEmpty()) {
        MessageBoxes::show(QMessageBox::Critical, QObject::tr("Critical"), problem);
        return;
    }
    const QString newOperatorID = QUuid::createUuid().toString(QUuid::WithBraces);
    const SiteApi::Reply reply = SiteApi::post(url, QStringLiteral("reg.php"),
                                               {{QStringLiteral("pass"), pass},
                                                {QStringLiteral("opID"), newOperatorID},
                                                {QStringLiteral("opName"), wsName}});
    if (!reply.ok) {
        MessageBoxes::show(QMessageBox::Critical, QObject::tr("Critical"), reply.errorString);
        return;
    }
    if (SiteApi::resultText(reply.text) != QLatin1String("0")) {
        showRegistrationRefusal(SiteApi::description(reply.text));
        return;
    }
    XHelper helper;
    if (!Workplace::store(helper, url, newOperatorID, wsName)) {
        // Restarting now would bring the form back with the registration lost.
        const QString message =
            QObject::tr("The registration could not be saved to %1").arg(helper.confPath());
        qStdOut() << message << Qt::endl;
        MessageBoxes::show(QMessageBox::Critical, QObject::tr("Critical"), message);
        return;
    }
    QProcess::startDetached(programPath, {});
    QCoreApplication::exit(0);
}

void GUI::setUpDesk() {
    XHelper helper;
    const DeskPreferences preferences = DeskPreferences::load(helper);
    tray = std::make_unique<TrayPresenter>(trayIcon, [this] { return windowShown(); });
    tray->setAnnouncements(preferences.notify, preferences.sound);
    connect(tray.get(), &TrayPresenter::showHideChosen, this,
            [this] { trayIconActivated(QSystemTrayIcon::Trigger); });
    connect(tray.get(), &TrayPresenter::getDataChosen, this, &GUI::getDataFromServer);
    connect(tray.get(), &TrayPresenter::quitChosen, this, &GUI::exitProgramm);
    connect(tray.get(), &TrayPresenter::announcementsChosen, this, &GUI::chooseAnnouncements);
    notifier = std::make_unique<CallNotifier>(trayIcon);
    notifier->setEnabled(preferences.notify);
    notifier->setSound(preferences.sound);
    connect(notifier.get(), &CallNotifier::callChosen, this, &GUI::callChosen);
    connect(&siteStatus, &SiteStatus::changed, this, &GUI::presentTray);
    if (startInTray && QSystemTrayIcon::isSystemTrayAvailable()) {
        QVariant result;
        invokeDocument(rootObject, "hideWindow", result);
    }
}

SiteApi::Reply GUI::askSite(const QString& script, const SiteApi::Fields& fields) {
    siteStatus.requestStarted();
    const SiteApi::Reply reply = SiteApi::post(serverUrl, script, fields);
    siteStatus.requestEnded();
    return reply;
}

void GUI::noteListReceived() {
    // Both lists are in key order: one walk beside the other finds the new calls.
    QList<QJsonObject> fresh;
    QStringList listed;
    listed.reserve(calls.size());
    auto previous = announcedCalls.cbegin();
    for (auto call = calls.cbegin(); call != calls.cend(); ++call) {
        while (previous != announcedCalls.cend() && *previous < call.key()) {
            ++previous;
        }
        if (previous == announcedCalls.cend() || *previous != call.key()) {
            fresh << call.value();
        }
        listed << call.key();
    }
    announcedCalls.swap(listed);
    siteStatus.listReceived(calls.size());
    if (notifier) {
        notifier->announce(fresh);
    }
}

void GUI::presentTray() {
    if (tray) {
        tray->present(serverUrl, calls.size(), siteStatus);
    }
}

bool GUI::windowShown() {
    QVariant result;
    invokeDocument(rootObject, "isVisible", result);
    return result.toBool();
}

void GUI::callChosen(const QString& id) {
    raiseWindow();
    if (!id.isEmpty()) {
        startConversation(id);
    }
}

void GUI::chooseAnnouncements(bool notify, bool sound) {
    notifier->setEnabled(notify);
    notifier->setSound(sound);
    XHelper helper;
    if (!DeskPreferences{notify, sound}.store(helper)) {
        qStdOut() << "The announcement settings could not be saved to " << helper.confPath()
                  << Qt::endl;
    }
}

bool GUI::holdsUnsentResult() const {
    if (drafts.has(currentCallID)) {
        return true;
    }
    for (auto call = calls.cbegin(); call != calls.cend(); ++call) {
        if (drafts.has(call.key())) {
            return true;
        }
    }
    return false;
}

bool GUI::confirmQuit() {
    if (!holdsUnsentResult()) {
        return true;
    }
    return QMessageBox::question(
               nullptr, QObject::tr("Unsent result"),
               QObject::tr("A conversation holds a result that the site has not confirmed yet. "
                           "It is kept and comes back when the conversation is opened again. "
                           "Quit anyway?"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void GUI::showRegistrationRefusal(const QString& description) {
    MessageBoxes::show(QMessageBox::Critical, QObject::tr("Critical"),
                       QObject::tr("Error occured when registering operator workplace"),
                       description.isEmpty() ? QString()
                                             : QObject::tr("The site said: %1").arg(description));
}

bool GUI::dial(QString phone) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/tel")});
    if (!query.waitForFinished(dialQueryMs) || query.readAllStandardOutput().trimmed().isEmpty()) {
        return false;
    }
    launchURL(QStringLiteral("tel:") + phone);
    return true;
}
