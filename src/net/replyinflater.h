#pragma once

#include <QByteArray>

#include <memory>

struct z_stream_s;

// Unpacks a gzip or deflate reply body piece by piece, never further than it is asked to:
// Qt's own decompression unpacks everything that has arrived in one go, so a small bomb
// becomes gigabytes before anyone can count them.
class ReplyInflater final {
public:
    // `encoding` is the reply's Content-Encoding; anything else passes through unchanged.
    explicit ReplyInflater(const QByteArray& encoding);
    ~ReplyInflater();
    ReplyInflater(const ReplyInflater&) = delete;
    ReplyInflater& operator=(const ReplyInflater&) = delete;

    // Appends what `input` unpacks to, stopping once more than `room` bytes were appended.
    // False when the input is not valid compressed data.
    bool inflate(const QByteArray& input, QByteArray* output, qint64 room);

private:
    std::unique_ptr<z_stream_s> stream;
    bool ended = false;
};
