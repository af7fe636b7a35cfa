#pragma once

#include "net/eventstreamreader.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

// The site's events channel: a Server-Sent Events stream that tells the workplace of stored and
// no longer new calls between polls. It runs in the ordinary event loop, never in a request's
// nested one; it reopens itself after a drop and gives up for an hour when the site refuses it.
// Polling never depends on it.
class EventStream final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY(EventStream)

public:
    // How long the channel waits; the defaults are the program's, tests shorten them.
    struct Timing {
        int silenceMs = 45000;   // no byte for this long: the stream is dead
        int firstRetryMs = 3000; // the first reopening waits this long, plus up to half again
        int retryCapMs = 120000; // later ones double up to this
        int stopMs = 3600000;    // a refused channel rests this long
    };

    using Headers = QList<QPair<QByteArray, QByteArray>>;

    explicit EventStream(QObject* parent = nullptr);
    EventStream(const Timing& timing, QObject* parent = nullptr);
    ~EventStream() override;

    // The events address that the Link headers of a reply from `replyUrl` name with
    // rel="vorlan-events", resolved against it; empty when none does.
    static QUrl offeredAddress(const Headers& headers, const QUrl& replyUrl);

    // The site at `siteUrl` offers `address` (empty: no channel). A new address opens the
    // channel, an empty one closes it; the same one leaves it as it is.
    void offer(const QUrl& address, const QUrl& siteUrl, const QString& operatorID);
    // Drops the stream and opens it again at once (after a resume or a network change), unless
    // the channel is closed or resting after a refusal.
    void reopenNow();

    bool isLive() const { return reply && live; }

signals:
    // The stream is open and carries events; `reopened` unless it is the first attempt at the
    // address, when events may have been missed in between.
    void opened(bool reopened);
    // One message: the records of stored calls and the ids of calls that are no longer new.
    void message(const QJsonArray& stored, const QStringList& gone);
    // The stream dropped or was refused: changes arrive at the polls only, for now.
    void down();
    // The site offers no channel any more, or its address was refused.
    void closed();

private:
    void open();
    void close();
    void readStream();
    // Judges the reply's head once: open, refused for an hour, or dropped; false unless open.
    bool judgeHead();
    void finished();
    void drop(const QString& why);
    void stop(const QString& why);
    void retryLater();
    void abandonReply();
    void report(const QString& line);

    Timing timing;
    std::unique_ptr<QNetworkAccessManager> manager;
    QNetworkReply* reply = nullptr;
    // The address as the site offered it, and the one the stream uses (empty when refused).
    QUrl offered;
    QUrl address;
    QByteArray authorization;
    EventStreamReader reader;
    bool judged = false;
    bool live = false;
    int attempts = 0;
    bool wasDown = false;
    int failedAttempts = 0;
    QTimer silence;
    QTimer retry;
    QTimer rest;
};
