#include "net/eventstream.h"
#include "net/eventstreamreader.h"

#include <QByteArray>
#include <QJsonObject>
#include <QUrl>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

// One input is what a site sends on its events channel. Its first byte says in how many pieces
// the rest arrives; read in pieces it must give exactly the messages, the last event id and the
// end it gives when read whole, and every message must hold only what the desk can merge. The
// same bytes are also read as a Link header that offers the channel's address.
namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

struct Reading {
    QList<EventStreamReader::Message> messages;
    EventStreamReader::Step end = EventStreamReader::Step::NeedMore;
    QByteArray lastEventId;
};

// Reads on until the reader needs more or breaks; true when it may be given more.
bool readOn(EventStreamReader& reader, Reading& reading) {
    EventStreamReader::Message message;
    while ((reading.end = reader.next(&message)) == EventStreamReader::Step::Message) {
        reading.messages << message;
    }
    reading.lastEventId = reader.lastEventId();
    return reading.end == EventStreamReader::Step::NeedMore;
}

Reading read(const QByteArray& stream, int pieces) {
    EventStreamReader reader;
    Reading reading;
    const int pieceSize = stream.size() / pieces + 1;
    for (int at = 0; at < stream.size(); at += pieceSize) {
        reader.append(stream.mid(at, pieceSize));
        if (!readOn(reader, reading)) {
            break;
        }
    }
    return reading;
}

// Every stored record is an object with a text id, as the desk's merge expects.
bool mergeable(const EventStreamReader::Message& message) {
    return std::all_of(
        message.stored.cbegin(), message.stored.cend(), [](const QJsonValue& record) {
            return record.isObject() && record.toObject().value(QLatin1String("id")).isString();
        });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), int(size - 1));
    const Reading whole = read(stream, 1);
    const Reading pieces = read(stream, 1 + data[0]);
    require(whole.end == pieces.end);
    require(whole.lastEventId == pieces.lastEventId);
    require(whole.messages.size() == pieces.messages.size());
    for (int i = 0; i < whole.messages.size(); ++i) {
        require(whole.messages.at(i).stored == pieces.messages.at(i).stored);
        require(whole.messages.at(i).gone == pieces.messages.at(i).gone);
        require(mergeable(whole.messages.at(i)));
    }
    require(!EventStreamReader::hasControlBytes(whole.lastEventId));

    // The Link header parser walks indexes of its own: the sanitizers watch it.
    EventStream::offeredAddress({{QByteArrayLiteral("Link"), stream}},
                                QUrl(QStringLiteral("http://site.test/vorlan/get.php")));
    return 0;
}
