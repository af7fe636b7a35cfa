#include "gui/gui.h"

#include "gui/localonlynetwork.h"
#include "gui/messageboxes.h"
#include "net/qstdout.h"
#include "net/siteapi.h"
#include "storage/workplace.h"
#include "storage/xhelper.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QIcon>
#include <QPointer>
#include <QProcess>
#include <QQmlContext>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <malloc.h>

namespace {
constexpr int pollInterval = 60000;
// How long the desktop may take to say whether it has a program for tel: addresses.
constexpr int dialQueryMs = 3000;
const QString callIdKey = QStringLiteral("callID");
// What a document may hand to the desktop: calls, mail and web pages, never local files or shares.
const QStringList launchableSchemes{QStringLiteral("tel"),  QStringLiteral("callto"),
                                    QStringLiteral("sip"),  QStringLiteral("mailto"),
                                    QStringLiteral("http"), QStringLiteral("https")};
} // namespace

GUI::GUI()
    : QQuickItem(nullptr) {
    LocalOnlyNetwork::install(engine);
    engine.rootContext()->setContextProperty(QStringLiteral("GUI"), this);
    publishCallModel();
}

void GUI::publishCallModel() {
    engine.rootContext()->setContextProperty(QStringLiteral("pendingCalls"), &pendingCalls);
}

// The program keeps its controller until the process ends; a controller that is destroyed
// (as in tests) takes its timer and tray icon with it.
GUI::~GUI() {
    // The documents go before the call model they are bound to.
    qDeleteAll(engine.rootObjects());
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
    invokeDocument(rootObject, "isVisible", result);
    invokeDocument(rootObject, result.toBool() ? "hideWindow" : "showWindow", result);
}

void GUI::raiseWindow() {
    QVariant result;
    invokeDocument(rootObject, "isVisible", result);
    if (!result.toBool()) {
        invokeDocument(rootObject, "showWindow", result);
    }
    invokeDocument(rootObject, "raiseWindow", result);
}

void GUI::exitProgramm() {
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
    const SiteApi::Reply reply = SiteApi::post(
        serverUrl, QStringLiteral("get.php"),
        {{QStringLiteral("type"), QStringLiteral("2")}, {QStringLiteral("operator"), operatorID}});
    if (!reply.ok) {
        return;
    }
    if (SiteApi::isEnvelope(reply.text)) {
        showServerError(SiteApi::description(reply.text));
        return;
    }
    CallRecords::merge(calls, SiteApi::parse(reply.text).array());
    rebuildList();
    if (!calls.isEmpty()) {
        raiseWindow();
    }
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
    const QJsonObject asTaken = recordFor(id);
    const SiteApi::Reply reply =
        SiteApi::post(serverUrl, QStringLiteral("set.php"),
                      {{QStringLiteral("action"), QStringLiteral("process")},
                       {QStringLiteral("operator"), operatorID},
                       {QStringLiteral("id"), id}});
    if (!reply.ok) {
        return;
    }
    if (SiteApi::resultText(reply.text) == QLatin1String("0")) {
        takenCall = asTaken;
        closeConversation(id);
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
    const QString id = currentCallID;
    const SiteApi::Reply reply = SiteApi::post(serverUrl, QStringLiteral("set.php"),
                                               {{QStringLiteral("action"), QStringLiteral("close")},
                                                {QStringLiteral("operator"), operatorID},
                                                {QStringLiteral("id"), id},
                                                {QStringLiteral("comment"), result}});
    if (!reply.ok) {
        return false;
    }
    const bool confirmed = SiteApi::resultNumber(reply.text) == 0;
    if (confirmed) {
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
        MessageBoxes::show(QMessageBox::Critical, QObject::tr("Critical"),
                           QObject::tr("Error occured when registering operator workplace"));
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
