#include "net/eventstreamreader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>

namespace {

// An event holds a few call records; anything near this size is no event of the site's.
constexpr int maximumEventBytes = 1024 * 1024;

// The message's two lists, or false when it is no message of the channel.
bool readMessage(const QByteArray& data, EventStreamReader::Message* message) {
    const QJsonDocument document = QJsonDocument::fromJson(data);
    const QJsonObject object = document.object();
    const QJsonValue news = object.value(QLatin1String("new"));
    const QJsonValue olds = object.value(QLatin1String("gone"));
    if (!document.isObject() || (!news.isUndefined() && !news.isArray()) ||
        (!olds.isUndefined() && !olds.isArray()) || (news.isUndefined() && olds.isUndefined())) {
        return false;
    }
    message->stored = news.toArray();
    const bool recordsReadable =
        std::all_of(message->stored.cbegin(), message->stored.cend(), [](const QJsonValue& record) {
            return record.isObject() && record.toObject().value(QLatin1String("id")).isString();
        });
    for (const QJsonValue& id : olds.toArray()) {
        if (!id.isString()) {
            return false;
        }
        message->gone << id.toString();
    }
    return recordsReadable;
}

} // namespace

bool EventStreamReader::hasControlBytes(const QByteArray& bytes) {
    return std::any_of(bytes.cbegin(), bytes.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

void EventStreamReader::append(const QByteArray& bytes) {
    pending += bytes;
}

EventStreamReader::Step EventStreamReader::next(Message* message) {
    while (true) {
        const int end = pending.indexOf('\n', start);
        const int cr = pending.indexOf('\r', start);
        const int lineEnd = cr >= 0 && (end < 0 || cr < end) ? cr : end;
        // A CR at the very end may be the first half of a CRLF still on its way.
        if (lineEnd < 0 || (lineEnd == cr && cr == pending.size() - 1)) {
            pending.remove(0, start);
            start = 0;
            if (pending.size() + eventData.size() > maximumEventBytes) {
                why = QStringLiteral("an event passed %1 bytes").arg(maximumEventBytes);
                return Step::Broken;
            }
            return Step::NeedMore;
        }
        const QByteArray line = pending.mid(start, lineEnd - start);
        const bool crlf = lineEnd == cr && cr + 1 < pending.size() && pending.at(cr + 1) == '\n';
        start = lineEnd + (crlf ? 2 : 1);
        ++lines;
        if (!line.isEmpty()) {
            takeField(line);
            continue;
        }
        // An empty line ends the event; one of another type, or without data, is passed over.
        const QByteArray data = eventData;
        const QByteArray type = eventType;
        eventData.clear();
        eventType.clear();
        if (data.isEmpty() || (!type.isEmpty() && type != "message")) {
            continue;
        }
        *message = Message();
        if (!readMessage(data, message)) {
            why = QStringLiteral("an event could not be read");
            return Step::Broken;
        }
        return Step::Message;
    }
}

void EventStreamReader::takeField(const QByteArray& line) {
    if (line.startsWith(':')) {
        return;
    }
    const int colon = line.indexOf(':');
    const QByteArray field = colon < 0 ? line : line.left(colon);
    QByteArray value = colon < 0 ? QByteArray() : line.mid(colon + 1);
    if (value.startsWith(' ')) {
        value.remove(0, 1);
    }
    if (field == "data") {
        eventData += value + '\n';
    } else if (field == "id" && !hasControlBytes(value)) {
        lastId = value;
    } else if (field == "event") {
        eventType = value;
    }
}

void EventStreamReader::restart() {
    pending.clear();
    start = 0;
    eventData.clear();
    eventType.clear();
    why.clear();
}

void EventStreamReader::forget() {
    restart();
    lastId.clear();
}
