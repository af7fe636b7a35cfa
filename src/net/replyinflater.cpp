#include "net/replyinflater.h"

#include <zlib.h>

namespace {
// zlib's window bits: 15 for the zlib wrapper of "deflate", plus 16 for gzip's.
constexpr int zlibWindow = 15;
constexpr int gzipWindow = 15 + 16;
constexpr int step = 64 * 1024;
} // namespace

ReplyInflater::ReplyInflater(const QByteArray& encoding) {
    const QByteArray name = encoding.trimmed().toLower();
    const bool gzip = name == "gzip" || name == "x-gzip";
    if (!gzip && name != "deflate") {
        return;
    }
    stream = std::make_unique<z_stream_s>();
    if (inflateInit2(stream.get(), gzip ? gzipWindow : zlibWindow) != Z_OK) {
        stream.reset();
        ended = true;
    }
}

ReplyInflater::~ReplyInflater() {
    if (stream) {
        inflateEnd(stream.get());
    }
}

bool ReplyInflater::inflate(const QByteArray& input, QByteArray* output, qint64 room) {
    if (!stream || ended) {
        // Bytes after the end of a compressed body are ignored, as Qt ignores them.
        if (!stream) {
            output->append(input);
        }
        return stream || !ended;
    }
    stream->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.constData()));
    stream->avail_in = static_cast<uInt>(input.size());
    qint64 added = 0;
    bool more = !input.isEmpty();
    while (more && added <= room) {
        const int before = output->size();
        output->resize(before + step);
        stream->next_out = reinterpret_cast<Bytef*>(output->data() + before);
        stream->avail_out = step;
        const int result = ::inflate(stream.get(), Z_NO_FLUSH);
        output->resize(before + step - static_cast<int>(stream->avail_out));
        added += output->size() - before;
        if (result == Z_STREAM_END) {
            ended = true;
            return true;
        }
        if (result == Z_BUF_ERROR) {
            return true;
        }
        if (result != Z_OK) {
            return false;
        }
        // A full output may leave more to unpack even when all the input was taken.
        more = stream->avail_in > 0 || stream->avail_out == 0;
    }
    return true;
}
