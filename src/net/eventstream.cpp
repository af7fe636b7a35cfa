#include "net/eventstream.h"

#include "net/qstdout.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>

namespace {

const QByteArray eventsRelation = QByteArrayLiteral("vorlan-events");
constexpr qint64 readBufferBytes = 64 * 1024;

bool isWebScheme(const QString& scheme) {
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// One link of a Link header: "<address>" followed by ";"-separated parameters.
struct Link {
    QByteArray target;
    QList<QByteArray> relations;
};

// The parameter value at `at` (quoted or not); `at` moves past it.
QByteArray parameterValue(const QByteArray& text, int& at) {
    if (at < text.size() && text.at(at) == '"') {
        const int end = text.indexOf('"', at + 1);
        const QByteArray value = text.mid(at + 1, (end < 0 ? text.size() : end) - at - 1);
        at = end < 0 ? text.size() : end + 1;
        return value;
    }
    int end = at;
    while (end < text.size() && text.at(end) != ';' && text.at(end) != ',') {
        ++end;
    }
    const QByteArray value = text.mid(at, end - at).trimmed();
    at = end;
    return value;
}

// The links of one header value, as RFC 8288 writes them; a malformed rest is skipped.
QList<Link> parseLinks(const QByteArray& text) {
    QList<Link> links;
    int at = 0;
    while (true) {
        const int open = text.indexOf('<', at);
        const int close = open < 0 ? -1 : text.indexOf('>', open);
        if (close < 0) {
            return links;
        }
        Link link{text.mid(open + 1, close - open - 1).trimmed(), {}};
        at = close + 1;
        while (at < text.size() && text.at(at) != ',') {
            if (text.at(at++) != ';') {
                continue;
            }
            int end = at;
            while (end < text.size() && !QByteArrayLiteral("=;,").contains(text.at(end))) {
                ++end;
            }
            if (end == text.size() || text.at(end) != '=') {
                at = end;
                continue;
            }
            const QByteArray name = text.mid(at, end - at).trimmed().toLower();
            at = end + 1;
            while (at < text.size() && text.at(at) == ' ') {
                ++at;
            }
            const QByteArray value = parameterValue(text, at);
            if (name == "rel") {
                link.relations += value.toLower().simplified().split(' ');
            }
        }
        links << link;
    }
}

} // namespace

EventStream::EventStream(QObject* parent)
    : EventStream(Timing(), parent) {}

EventStream::EventStream(const Timing& timing, QObject* parent)
    : QObject(parent)
    , timing(timing)
    , manager(std::make_unique<QNetworkAccessManager>()) {
    manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    silence.setSingleShot(true);
    retry.setSingleShot(true);
    rest.setSingleShot(true);
    connect(&silence, &QTimer::timeout, this, [this] {
        drop(QStringLiteral("no sign of life for %1 s").arg(this->timing.silenceMs / 1000.0));
    });
    connect(&retry, &QTimer::timeout, this, &EventStream::open);
    connect(&rest, &QTimer::timeout, this, &EventStream::open);
}

EventStream::~EventStream() {
    abandonReply();
}

QUrl EventStream::offeredAddress(const Headers& headers, const QUrl& replyUrl) {
    for (const auto& header : headers) {
        if (header.first.compare("link", Qt::CaseInsensitive) != 0) {
            continue;
        }
        for (const Link& link : parseLinks(header.second)) {
            if (link.relations.contains(eventsRelation)) {
                return replyUrl.resolved(QUrl(QString::fromUtf8(link.target), QUrl::StrictMode));
            }
        }
    }
    return QUrl();
}

void EventStream::offer(const QUrl& candidate, const QUrl& siteUrl, const QString& operatorID) {
    const QByteArray bearer = QByteArrayLiteral("Bearer ") + operatorID.toUtf8();
    if (candidate == offered && bearer == authorization) {
        return;
    }
    close();
    offered = candidate;
    authorization = bearer;
    if (candidate.isEmpty()) {
        emit closed();
        return;
    }
    const QString scheme = candidate.scheme().toLower();
    if (!candidate.isValid() || !isWebScheme(scheme) || candidate.host().isEmpty() ||
        (scheme == QLatin1String("http") &&
         siteUrl.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0) ||
        EventStreamReader::hasControlBytes(operatorID.toUtf8())) {
        report(QStringLiteral("The events address \"%1\" is refused: only http(s), and https for "
                              "a site on https; changes arrive at the polls")
                   .arg(candidate.toDisplayString(QUrl::RemoveUserInfo)));
        emit closed();
        return;
    }
    address = candidate;
    address.setUserInfo(QString());
    address.setFragment(QString());
    open();
}

void EventStream::reopenNow() {
    if (address.isEmpty() || rest.isActive()) {
        return;
    }
    retry.stop();
    abandonReply();
    open();
}

void EventStream::open() {
    if (address.isEmpty()) {
        return;
    }
    abandonReply();
    QNetworkRequest request(address);
    request.setRawHeader("Accept", "text/event-stream");
    request.setRawHeader("Cache-Control", "no-cache");
    // Asking for no encoding keeps Qt from unpacking whatever the site sends without bound.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setRawHeader("Authorization", authorization);
    if (!reader.lastEventId().isEmpty()) {
        request.setRawHeader("Last-Event-ID", reader.lastEventId());
    }
    request.setTransferTimeout(0);
    ++attempts;
    judged = false;
    live = false;
    reader.restart();
    reply = manager->get(request);
    reply->setReadBufferSize(readBufferBytes);
    connect(reply, &QNetworkReply::metaDataChanged, this, &EventStream::judgeHead);
    connect(reply, &QNetworkReply::readyRead, this, &EventStream::readStream);
    connect(reply, &QNetworkReply::finished, this, &EventStream::finished);
    silence.start(timing.silenceMs);
}

void EventStream::close() {
    abandonReply();
    retry.stop();
    rest.stop();
    silence.stop();
    live = false;
    attempts = 0;
    wasDown = false;
    failedAttempts = 0;
    reader.forget();
    address.clear();
}

bool EventStream::judgeHead() {
    if (judged) {
        return live;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        return false;
    }
    judged = true;
    const int code = status.toInt();
    const QByteArray type = reply->rawHeader("Content-Type").trimmed().toLower();
    if (code == 401 || code == 403 || code == 404) {
        stop(QStringLiteral("the site answered HTTP %1").arg(code));
        return false;
    }
    if (code >= 500 || code == 408 || code == 429) {
        drop(QStringLiteral("the site answered HTTP %1").arg(code));
        return false;
    }
    if (code != 200 || !(type == "text/event-stream" || type.startsWith("text/event-stream;"))) {
        stop(QStringLiteral("the site answered HTTP %1 with \"%2\", not an event stream")
                 .arg(code)
                 .arg(QString::fromLatin1(type)));
        return false;
    }
    live = true;
    if (wasDown) {
        report(QStringLiteral("The events channel is open again"));
    }
    wasDown = false;
    emit opened(attempts > 1);
    return true;
}

void EventStream::readStream() {
    QNetworkReply* const current = reply;
    if (!judgeHead()) {
        return;
    }
    silence.start(timing.silenceMs);
    reader.append(current->readAll());
    // A message's receiver may reopen or close the channel; the rest of this stream is then not
    // read.
    while (reply == current) {
        const quint64 linesBefore = reader.linesRead();
        EventStreamReader::Message received;
        const EventStreamReader::Step step = reader.next(&received);
        if (reader.linesRead() != linesBefore) {
            // Something arrived whole: the stream works, and the next drop starts the back-off
            // anew.
            failedAttempts = 0;
        }
        if (step == EventStreamReader::Step::NeedMore) {
            return;
        }
        if (step == EventStreamReader::Step::Broken) {
            drop(reader.failure());
            return;
        }
        emit message(received.stored, received.gone);
    }
}

void EventStream::finished() {
    if (!judged) {
        judgeHead();
    }
    if (reply) {
        drop(reply->error() == QNetworkReply::NoError ? QStringLiteral("the site ended the stream")
                                                      : reply->errorString());
    }
}

void EventStream::drop(const QString& why) {
    abandonReply();
    live = false;
    if (!wasDown) {
        report(QStringLiteral("The events channel dropped (%1); it is reopened shortly").arg(why));
    }
    wasDown = true;
    retryLater();
    emit down();
}

void EventStream::stop(const QString& why) {
    abandonReply();
    live = false;
    wasDown = true;
    report(QStringLiteral("The events channel is refused (%1); it is tried again in an hour, and "
                          "changes arrive at the polls meanwhile")
               .arg(why));
    rest.start(timing.stopMs);
    emit down();
}

// Doubling waits up to the cap, each stretched by a random part of up to a half, so that many
// workplaces dropped at once by a site restart come back spread out.
void EventStream::retryLater() {
    const int base = int(std::min<qint64>(timing.retryCapMs, qint64(timing.firstRetryMs)
                                                                 << std::min(failedAttempts, 20)));
    ++failedAttempts;
    retry.start(base + QRandomGenerator::global()->bounded(base / 2 + 1));
}

void EventStream::abandonReply() {
    silence.stop();
    if (!reply) {
        return;
    }
    QNetworkReply* const old = reply;
    reply = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
}

void EventStream::report(const QString& line) {
    qStdOut() << line;
    if (!address.isEmpty()) {
        qStdOut() << ": " << address.toDisplayString(QUrl::RemoveUserInfo);
    }
    qStdOut() << Qt::endl;
}
