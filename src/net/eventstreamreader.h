#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QStringList>

// The text of the site's events channel, a Server-Sent Events stream: bytes into lines, lines
// into events, events into the channel's messages. It knows nothing of the network, so what a
// site may send is read, and checked, here alone.
class EventStreamReader {
public:
    // One message of the channel: the records of stored calls and the ids of calls that are no
    // longer new.
    struct Message {
        QJsonArray stored;
        QStringList gone;
    };
    enum class Step { NeedMore, Message, Broken };

    // The bytes that arrived next.
    void append(const QByteArray& bytes);
    // Reads on to the end of the next message; NeedMore when none is whole yet. Broken: an event
    // could not be read or grew past any event of the site's (`failure()` says which), and
    // nothing more of this stream may be trusted.
    Step next(Message* message);
    // A new connection: the part-read line and event go; the last event id stays for the
    // resume. `forget` drops that too.
    void restart();
    void forget();

    QByteArray lastEventId() const { return lastId; }
    // Whole lines read so far, comments and pings included: a sign that the stream works.
    quint64 linesRead() const { return lines; }
    QString failure() const { return why; }

    static bool hasControlBytes(const QByteArray& bytes);

private:
    void takeField(const QByteArray& line);

    QByteArray pending;
    // Where the first line not yet read starts in `pending`.
    int start = 0;
    QByteArray eventData;
    QByteArray eventType;
    QByteArray lastId;
    quint64 lines = 0;
    QString why;
};
