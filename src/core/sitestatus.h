#pragma once

#include "net/siteapi.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

// The state of the site as the operator should see it: when the list was last brought up to
// date, or since when and why the site fails, whether a request is under way, and what became
// of the last take or close. Published to the documents as "siteStatus".
class SiteStatus final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(SiteStatus)
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    Q_PROPERTY(bool upToDate READ upToDate NOTIFY changed)
    Q_PROPERTY(bool failing READ isFailing NOTIFY changed)
    Q_PROPERTY(QDateTime lastUpdate READ lastUpdate NOTIFY changed)
    Q_PROPERTY(QDateTime failingSince READ failingSince NOTIFY changed)
    Q_PROPERTY(QString failure READ failure NOTIFY changed)
    Q_PROPERTY(int pendingCount READ pendingCount NOTIFY changed)
    Q_PROPERTY(QString summary READ summary NOTIFY changed)
    Q_PROPERTY(QString notice READ notice NOTIFY changed)
    Q_PROPERTY(QString delivery READ delivery NOTIFY changed)

public:
    enum class Action { Take, Close };

    explicit SiteStatus(QObject* parent = nullptr);

    bool busy() const { return requestsUnderWay > 0; }
    bool upToDate() const { return !failing.isValid() && updated.isValid(); }
    QDateTime lastUpdate() const { return updated; }
    QDateTime failingSince() const { return failing; }
    QString failure() const { return failureText; }
    int pendingCount() const { return pending; }
    // One line for the status line: a request under way, or the site's state.
    QString summary() const;
    // The site's state alone: up to date since when, or failing since when and why.
    QString state() const;
    // Why the last take or close did not go through; empty once it went through or expired.
    QString notice() const { return noticeText; }
    bool isFailing() const { return failing.isValid(); }
    // How changes reach the desk when the site offers its events channel: instantly, or at the
    // polls since the channel went down. Empty for a site without the channel.
    QString delivery() const;

    void requestStarted();
    void requestEnded();
    void listReceived(int pendingCalls);
    void listRefused(const QString& description);
    void exchangeFailed(const SiteApi::Reply& reply);
    void actionStarted();
    void actionUnreachable(Action action, const SiteApi::Reply& reply);
    void actionRefused(Action action, const QString& description);
    void eventReceived(int pendingCalls);
    void channelLive();
    void channelDown();
    void channelAbsent();

    // The reason of a failed exchange in the operator's words.
    static QString reasonOf(const SiteApi::Reply& reply);

signals:
    void changed();

private:
    // How the site fails: out of reach, refusing the list, or answering with no API at all.
    enum class Failure { Unreachable, Refused, NotApi };
    enum class Channel { Absent, Live, Down };
    void fail(const QString& reason, Failure how);
    void setNotice(const QString& text);

    int requestsUnderWay = 0;
    QDateTime updated;
    QDateTime failing;
    QString failureText;
    Failure failingHow = Failure::Unreachable;
    int pending = 0;
    QString noticeText;
    QTimer noticeExpiry{this};
    Channel channel = Channel::Absent;
    QDateTime channelDownSince;
};
