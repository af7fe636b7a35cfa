#include "core/calldesk.h"

#include "core/callmodel.h"
#include "net/qstdout.h"
#include "storage/workplace.h"
#include "storage/xhelper.h"

#include <QDateTime>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QScopedValueRollback>
#include <QUrl>
#include <QUuid>

#include <algorithm>
#include <iterator>

namespace {

// A poll after the channel reopens comes at a random moment within this, so that the workplaces
// a site restart dropped together do not all poll in the same second.
constexpr int catchUpSpreadMs = 10000;

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

} // namespace

CallDesk::CallDesk(const QString& stateDirectory, QObject* parent)
    : QObject(parent)
    , announcedStore(stateDirectory)
    , draftStore(stateDirectory + QStringLiteral("/drafts"))
    , callHistory(stateDirectory, phoneMatcher) {
    connectChannel();
}

void CallDesk::connectChannel() {
    catchUpPoll.setSingleShot(true);
    connect(&catchUpPoll, &QTimer::timeout, this, &CallDesk::poll);
    connect(&channel, &EventStream::opened, this, [this](bool reopened) {
        siteStatus.channelLive();
        if (reopened && !catchUpPoll.isActive()) {
            catchUpPoll.start(QRandomGenerator::global()->bounded(catchUpSpreadMs));
        }
    });
    connect(&channel, &EventStream::down, &siteStatus, &SiteStatus::channelDown);
    connect(&channel, &EventStream::closed, &siteStatus, &SiteStatus::channelAbsent);
    connect(&channel, &EventStream::message, this, &CallDesk::receiveEvent);
}

void CallDesk::setSite(const QString& serverUrl, const QString& operatorID) {
    site = serverUrl;
    operatorId = operatorID;
    draftStore.setRegistration(serverUrl, operatorID);
    announcedStore.setRegistration(serverUrl, operatorID);
    announcedCalls = announcedStore.load();
    callHistory.setRegistration(serverUrl, operatorID);
}

void CallDesk::pruneHistory(const QDateTime& now) {
    callHistory.prune(historyDays, now);
    emit historyChanged();
}

QJsonObject CallDesk::recordFor(const QString& id) const {
    if (table.contains(id)) {
        return table.value(id);
    }
    for (const QJsonObject& call : taken) {
        if (call.value(CallRecords::idKey).toString() == id) {
            return call;
        }
    }
    return CallRecords::unknown(id);
}

bool CallDesk::holdsUnsentResult() const {
    if (draftStore.has(current)) {
        return true;
    }
    for (const QJsonObject& call : taken) {
        if (draftStore.has(call.value(CallRecords::idKey).toString())) {
            return true;
        }
    }
    for (auto call = table.cbegin(); call != table.cend(); ++call) {
        if (draftStore.has(call.key())) {
            return true;
        }
    }
    return false;
}

SiteApi::Reply CallDesk::askSite(const QString& script, const SiteApi::Fields& fields) {
    siteStatus.requestStarted();
    const SiteApi::Reply reply = SiteApi::postForJson(site, script, fields);
    siteStatus.requestEnded();
    return reply;
}

void CallDesk::poll() {
    // The reply, its text and its parsed document, is freed before the views redraw.
    if (receiveList(++pollsSent)) {
        emit tableChanged();
        emit listed();
        siteStatus.listReceived(table.size());
        announceNewCalls();
    }
}

void CallDesk::catchUp() {
    channel.reopenNow();
    poll();
}

bool CallDesk::receiveList(quint64 sentAs) {
    const SiteApi::Reply reply =
        askSite(QStringLiteral("get.php"), {{QStringLiteral("type"), QStringLiteral("2")},
                                            {QStringLiteral("operator"), operatorId}});
    if (!reply.ok) {
        siteStatus.exchangeFailed(reply);
        return false;
    }
    if (SiteApi::isEnvelope(reply.text)) {
        const QString description = SiteApi::description(reply.text);
        siteStatus.listRefused(description);
        emit listRefused(description);
        return false;
    }
    channel.offer(
        EventStream::offeredAddress(reply.headers, QUrl(site + QStringLiteral("/vorlan/get.php"))),
        QUrl(site), operatorId);
    if (sentAs < newestListed) {
        return false;
    }
    newestListed = sentAs;
    mergeList(reply.json.array(), sentAs);
    return true;
}

void CallDesk::mergeList(const QJsonArray& list, quint64 sentAs) {
    // A confirmed close stays closed and a taken call stays as taken until a poll sent after
    // the confirmation answers; a slow site's earlier list would bring them back.
    QHash<QString, QJsonObject> kept;
    for (auto change = settled.begin(); change != settled.end();) {
        if (sentAs > change->lastStalePoll) {
            change = settled.erase(change);
            continue;
        }
        kept.insert(change.key(), change->closed ? QJsonObject() : table.value(change.key()));
        ++change;
    }
    CallRecords::merge(table, list);
    for (auto call = kept.cbegin(); call != kept.cend(); ++call) {
        if (call.value().isEmpty()) {
            table.remove(call.key());
        } else {
            table.insert(call.key(), call.value());
        }
    }
}

void CallDesk::settle(const QString& id, bool closed) {
    settled.insert(id, {closed, pollsSent});
}

void CallDesk::receiveEvent(const QJsonArray& stored, const QStringList& gone) {
    bool changed = false;
    for (const QJsonValue& element : stored) {
        changed |= addStored(element.toObject());
    }
    for (const QString& id : gone) {
        changed |= removeGone(id);
    }
    if (!changed) {
        return;
    }
    emit tableChanged();
    emit listed();
    siteStatus.eventReceived(table.size());
    announceNewCalls();
}

// A stored call joins the table as a poll would bring it, unless the desk knows it already or
// closed it; a list that left before the event must not take it away again.
bool CallDesk::addStored(const QJsonObject& element) {
    const QJsonObject record = CallRecords::fromSiteElement(element);
    const QString id = record.value(CallRecords::idKey).toString();
    if (id.isEmpty() || table.contains(id) || settled.contains(id) || id == current ||
        id == takingId || held.contains(id)) {
        return false;
    }
    table.insert(id, record);
    settle(id, false);
    return true;
}

// Only a call still waiting for an operator leaves: never one this workplace took or talks to.
bool CallDesk::removeGone(const QString& id) {
    const auto call = table.constFind(id);
    if (call == table.constEnd() ||
        call->value(CallRecords::statusKey).toString() != QLatin1String("new") || holds(*call) ||
        id == takingId) {
        return false;
    }
    table.remove(id);
    settle(id, true);
    return true;
}

void CallDesk::announceNewCalls() {
    // Both lists are in key order: one walk beside the other finds the new calls.
    QList<QJsonObject> added;
    QStringList listed;
    listed.reserve(table.size());
    auto previous = announcedCalls.cbegin();
    for (auto call = table.cbegin(); call != table.cend(); ++call) {
        while (previous != announcedCalls.cend() && *previous < call.key()) {
            ++previous;
        }
        if (previous == announcedCalls.cend() || *previous != call.key()) {
            added << call.value();
        }
        listed << call.key();
    }
    // Kept only when it changed: with nothing added, the same calls or fewer are listed.
    if (!added.isEmpty() || listed.size() != announcedCalls.size()) {
        announcedStore.store(listed);
    }
    announcedCalls.swap(listed);
    listedWithDrafts = draftStore.noteListed(announcedCalls, QDateTime::currentDateTime());
    refreshHeldCalls();
    QList<QJsonObject> fresh;
    std::copy_if(added.cbegin(), added.cend(), std::back_inserter(fresh),
                 [this](const QJsonObject& call) { return !holds(call); });
    emit callsArrived(fresh);
}

void CallDesk::refreshHeldCalls() {
    QList<QJsonObject> calls;
    QSet<QString> ids;
    const auto add = [&calls, &ids](const QJsonObject& call) {
        const QString id = call.value(CallRecords::idKey).toString();
        if (!ids.contains(id)) {
            ids.insert(id);
            calls << call;
        }
    };
    for (const QJsonObject& call : taken) {
        add(recordFor(call.value(CallRecords::idKey).toString()));
    }
    for (auto call = table.cbegin(); call != table.cend(); ++call) {
        // The site lists a call as being processed only for the operator who took it.
        if (listedWithDrafts.contains(call.key()) ||
            call->value(CallRecords::statusKey).toString() == QLatin1String("processing")) {
            add(call.value());
        }
    }
    held.set(calls);
}

void CallDesk::forgetTaken(const QString& id) {
    taken.erase(std::remove_if(taken.begin(), taken.end(),
                               [&id](const QJsonObject& call) {
                                   return call.value(CallRecords::idKey).toString() == id;
                               }),
                taken.end());
}

// A call in conversation or held here is the operator's own and never news.
bool CallDesk::holds(const QJsonObject& call) const {
    const QString id = call.value(CallRecords::idKey).toString();
    return id == current || held.contains(id);
}

void CallDesk::take(const QString& id) {
    if (takeUnderWay) {
        return;
    }
    const QScopedValueRollback<bool> underWay(takeUnderWay, true);
    const QScopedValueRollback<QString> taking(takingId, id);
    siteStatus.actionStarted();
    const QJsonObject asTaken = recordFor(id);
    const SiteApi::Reply reply =
        askSite(QStringLiteral("set.php"), {{QStringLiteral("action"), QStringLiteral("process")},
                                            {QStringLiteral("operator"), operatorId},
                                            {QStringLiteral("id"), id}});
    if (!reply.ok) {
        siteStatus.actionUnreachable(SiteStatus::Action::Take, reply);
        return;
    }
    if (SiteApi::resultText(reply.text) == QLatin1String("0")) {
        forgetTaken(id);
        taken << asTaken;
        takenAt.insert(id, QDateTime::currentDateTime());
        settle(id, false);
        refreshHeldCalls();
        emit callTaken(id);
    } else {
        siteStatus.actionRefused(SiteStatus::Action::Take, SiteApi::description(reply.text));
    }
    poll();
}

QJsonObject CallDesk::openConversation(const QString& id) {
    current = id;
    return recordFor(id);
}

bool CallDesk::sendResult(const QString& result) {
    if (closeUnderWay) {
        return false;
    }
    const QScopedValueRollback<bool> underWay(closeUnderWay, true);
    siteStatus.actionStarted();
    const QString id = current;
    const SiteApi::Reply reply =
        askSite(QStringLiteral("set.php"), {{QStringLiteral("action"), QStringLiteral("close")},
                                            {QStringLiteral("operator"), operatorId},
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
        recordClose(recordFor(id), result);
        draftStore.remove(id);
        table.remove(id);
        forgetTaken(id);
        listedWithDrafts.remove(id);
        settle(id, true);
        refreshHeldCalls();
        // Another call may have been taken while the site answered; that one stays current.
        if (current == id) {
            current.clear();
        }
        emit tableChanged();
    }
    poll();
    return confirmed;
}

void CallDesk::recordClose(const QJsonObject& call, const QString& result) {
    const QString id = call.value(CallRecords::idKey).toString();
    const CallHistory::Entry entry{id,
                                   call.value(CallRecords::nameKey).toString(),
                                   call.value(CallRecords::phoneKey).toString(),
                                   CallModel::arrivalOf(call),
                                   takenAt.take(id),
                                   QDateTime::currentDateTime(),
                                   result};
    if (historyDays <= 0) {
        return;
    }
    // The disk may be slow or full: the close the site confirmed is finished first.
    QMetaObject::invokeMethod(
        this,
        [this, entry] {
            if (callHistory.record(entry)) {
                emit historyChanged();
            }
        },
        Qt::QueuedConnection);
}

// In the operator's words: what to check in the address, never the request's own address.
CallDesk::Registration CallDesk::unreachable(const SiteApi::Reply& reply) {
    const auto failed = [](const QString& text, const QString& hint) {
        return Registration{Registration::Outcome::Unreachable, text, hint};
    };
    if (reply.error == QNetworkReply::TimeoutError ||
        reply.error == QNetworkReply::OperationCanceledError) {
        return failed(QObject::tr("The site did not answer in time."),
                      QObject::tr("Check the site address, or try again later."));
    }
    if (reply.httpStatus == 404 || reply.notApi) {
        return failed(QObject::tr("No Vorlan Server answers at this address."),
                      QObject::tr("Check the path in the site address: it is the address of "
                                  "the site's start page, without \"/vorlan/\"."));
    }
    if (reply.httpStatus >= 400) {
        return failed(QObject::tr("The site answered with HTTP status %1.").arg(reply.httpStatus),
                      QObject::tr("Try again later, or ask the site's administrator."));
    }
    if (SiteApi::isNoConnection(reply.error)) {
        return failed(reply.errorString, QObject::tr("Nothing answered at this address. Check "
                                                     "the site's name and, if the address "
                                                     "has one, its port."));
    }
    return failed(reply.errorString, QObject::tr("Check the site address."));
}

CallDesk::Registration CallDesk::registerWorkplace(const QString& name, const QString& address,
                                                   const QString& password) {
    const QString problem = siteAddressProblem(address);
    if (!problem.isEmpty()) {
        return {Registration::Outcome::BadAddress, problem, QString()};
    }
    const QString newOperatorID = QUuid::createUuid().toString(QUuid::WithBraces);
    const SiteApi::Reply reply = SiteApi::post(address, QStringLiteral("reg.php"),
                                               {{QStringLiteral("pass"), password},
                                                {QStringLiteral("opID"), newOperatorID},
                                                {QStringLiteral("opName"), name}});
    if (!reply.ok) {
        return unreachable(reply);
    }
    if (SiteApi::resultText(reply.text) != QLatin1String("0")) {
        const QString reason = SiteApi::description(reply.text);
        return {Registration::Outcome::Refused,
                QObject::tr("Error occured when registering operator workplace"),
                reason.isEmpty() ? QObject::tr("The site gave no reason. It may be under "
                                               "maintenance: try again later, or ask its "
                                               "administrator.")
                                 : QObject::tr("The site said: %1").arg(reason)};
    }
    XHelper helper;
    if (!Workplace::store(helper, address, newOperatorID, name)) {
        const QString message =
            QObject::tr("The registration could not be saved to %1").arg(helper.confPath());
        qStdOut() << message << Qt::endl;
        return {Registration::Outcome::NotSaved, message, QString()};
    }
    return {};
}
