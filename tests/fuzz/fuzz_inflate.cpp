#include "net/replyinflater.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <zlib.h>

// One input drives the unpacking of a reply body under the reply size limit. Its first byte
// chooses: bit 0 gzip or deflate; bit 1 whether the rest is a body that the harness packs
// itself (then the second byte repeats it up to 256 times, a small bomb) or bytes that claim
// to be packed already; bits 2 to 7 how many pieces the packed bytes arrive in. A packed body
// must come out exactly, or stop just past the limit; no input may unpack much beyond it.
namespace {

const qint64 limit = 64 * 1024;
// One unpacking step may pass the room it is given by at most this much.
const qint64 step = 64 * 1024;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

QByteArray pack(const QByteArray& body, bool gzip) {
    z_stream stream{};
    require(deflateInit2(&stream, 6, Z_DEFLATED, gzip ? 15 + 16 : 15, 8, Z_DEFAULT_STRATEGY) ==
            Z_OK);
    QByteArray packed(int(deflateBound(&stream, uLong(body.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.constData()));
    stream.avail_in = uInt(body.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = uInt(packed.size());
    require(deflate(&stream, Z_FINISH) == Z_STREAM_END);
    packed.resize(int(stream.total_out));
    deflateEnd(&stream);
    return packed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const bool gzip = data[0] & 1;
    const bool packedHere = data[0] & 2;
    const int pieces = 1 + (data[0] >> 2);
    const QByteArray rest(reinterpret_cast<const char*>(data + 2), int(size - 2));
    // At most four times the limit: enough to pass it, cheap enough to pack at every run.
    const int times = qMin(1 + data[1], int(4 * limit / qMax(1, rest.size())) + 1);
    const QByteArray body = packedHere ? rest.repeated(times) : QByteArray();
    const QByteArray packed = packedHere ? pack(body, gzip) : rest;

    ReplyInflater inflater(gzip ? QByteArrayLiteral("gzip") : QByteArrayLiteral("deflate"));
    QByteArray unpacked;
    bool valid = true;
    const int pieceSize = packed.size() / pieces + 1;
    for (int at = 0; at < packed.size() && valid && unpacked.size() <= limit; at += pieceSize) {
        const qint64 before = unpacked.size();
        valid = inflater.inflate(packed.mid(at, pieceSize), &unpacked, limit - before);
        require(unpacked.size() - before <= qMax<qint64>(0, limit - before) + step);
    }
    if (packedHere) {
        require(valid);
        if (body.size() <= limit) {
            require(unpacked == body);
        } else {
            require(unpacked.size() > limit && body.startsWith(unpacked));
        }
    }
    return 0;
}
