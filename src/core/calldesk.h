#pragma once

#include "core/calltable.h"
#include "core/heldcalls.h"
#include "core/phonematcher.h"
#include "core/sitestatus.h"
#include "net/eventstream.h"
#include "net/siteapi.h"
#include "storage/announcedcalls.h"
#include "storage/callhistory.h"
#include "storage/draftstore.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

// The workplace's exchanges with its site and what they leave behind: the call table, the call
// in conversation, the call as the operator took it, and which calls were already announced.
// It draws nothing; whoever shows the desk follows its signals.
class CallDesk final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(CallDesk)

public:
    // What became of a registration; when it did not go through, `text` says so and `detail`
    // may add the site's reason, both in the operator's language.
    struct Registration {
        enum class Outcome { Stored, BadAddress, Unreachable, Refused, NotSaved };
        Outcome outcome = Outcome::Stored;
        QString text;
        QString detail;
    };

    // Keeps its drafts and the calls it announced under `stateDirectory`.
    explicit CallDesk(const QString& stateDirectory, QObject* parent = nullptr);

    // The site and operator identifier every exchange goes out with; what was announced under
    // them before a restart is not announced again.
    void setSite(const QString& serverUrl, const QString& operatorID);
    QString serverUrl() const { return site; }
    QString operatorID() const { return operatorId; }

    const CallTable& calls() const { return table; }
    QString currentCallID() const { return current; }
    SiteStatus& status() { return siteStatus; }
    DraftStore& drafts() { return draftStore; }
    HeldCalls& heldCalls() { return held; }
    const DraftStore& drafts() const { return draftStore; }
    CallHistory& history() { return callHistory; }
    const PhoneMatcher& phones() const { return phoneMatcher; }

    // How many days closed calls stay in the history; 0 records none.
    void setHistoryDays(int days) { historyDays = days; }
    // Drops from the history what is older than its days.
    void pruneHistory(const QDateTime& now);

    // The record of a call as last known: as listed, as the operator took it, or only its id.
    QJsonObject recordFor(const QString& id) const;
    // Whether a result typed for the call in conversation or a listed call is still unsent.
    bool holdsUnsentResult() const;

    // Brings the call table in step with the site's list.
    void poll();
    // After a resume or a network change: polls at once and reopens the events channel.
    void catchUp();
    // Takes the call for this operator at the site; a poll follows.
    void take(const QString& id);
    // Makes the call the one in conversation and gives its record.
    QJsonObject openConversation(const QString& id);
    // Sends the result for the call in conversation; true exactly when the site confirmed it.
    bool sendResult(const QString& result);

    // Registers a workplace with the site at `address` under a new operator identifier and
    // stores the registration in vorlan.conf.
    static Registration registerWorkplace(const QString& name, const QString& address,
                                          const QString& password);

signals:
    // The call table changed: views redraw.
    void tableChanged();
    // A poll brought the site's list, or an event changed the table, after the table took it in.
    void listed();
    // Calls that no earlier list or event held (possibly none), once each, after every list and
    // every event that changed the table; never a call this workplace holds.
    void callsArrived(const QList<QJsonObject>& calls);
    // The site refused the list and said why.
    void listRefused(const QString& description);
    // The site handed the call over to this operator.
    void callTaken(const QString& id);
    // The history gained or lost calls.
    void historyChanged();

private:
    static Registration unreachable(const SiteApi::Reply& reply);
    SiteApi::Reply askSite(const QString& script, const SiteApi::Fields& fields);
    // Asks for the list as poll number `sentAs` and takes it in; false when it did not come or
    // is out of date.
    bool receiveList(quint64 sentAs);
    void announceNewCalls();
    bool holds(const QJsonObject& call) const;
    void refreshHeldCalls();
    void forgetTaken(const QString& id);
    // Takes in a list that the site sent out as poll number `sentAs`, keeping what this desk
    // changed at the site after the list left it.
    void mergeList(const QJsonArray& list, quint64 sentAs);
    void settle(const QString& id, bool closed);
    void connectChannel();
    // Takes in the events channel's message: calls stored at the site, and calls no longer new.
    void receiveEvent(const QJsonArray& stored, const QStringList& gone);
    bool addStored(const QJsonObject& element);
    bool removeGone(const QString& id);
    // Records a call the site confirmed closed, after the close is done with.
    void recordClose(const QJsonObject& call, const QString& result);

    QString site;
    QString operatorId;
    CallTable table;
    QString current;
    // The calls taken here whose close the site has not confirmed, as the operator took them,
    // earliest first: a poll may remove them meanwhile.
    QList<QJsonObject> taken;
    // The listed calls that have a draft, as of the last list.
    QSet<QString> listedWithDrafts;
    HeldCalls held;
    // The calls the previous list held, in key order: only calls new since then are announced.
    QStringList announcedCalls;
    AnnouncedCalls announcedStore;
    SiteStatus siteStatus;
    DraftStore draftStore;
    PhoneMatcher phoneMatcher;
    CallHistory callHistory;
    int historyDays = CallHistory::defaultDaysKept;
    // When this workplace took the calls it has not closed yet.
    QHash<QString, QDateTime> takenAt;
    // A change this desk made at the site or an event brought, and the number of the last poll
    // sent before it: that poll's list, or an earlier one, may still show the call as it was.
    struct Settled {
        bool closed = false;
        quint64 lastStalePoll = 0;
    };
    QHash<QString, Settled> settled;
    quint64 pollsSent = 0;
    // The newest poll whose list was taken in; an older list that answers later is out of date.
    quint64 newestListed = 0;
    // A take or a close waits for the site in a nested loop; a second click must not resend it.
    bool takeUnderWay = false;
    bool closeUnderWay = false;
    // The call a take is under way for: an event that it is no longer new must not remove it.
    QString takingId;
    // The site's events channel, and the poll that follows each of its reopenings.
    EventStream channel{this};
    QTimer catchUpPoll;
};
