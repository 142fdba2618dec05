#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace orvanto {

// Decodes an HTTP body sent with "Transfer-Encoding: chunked", piece by piece as it comes: each
// chunk is its size in hex on a line of its own (extensions after ';' ignored), the bytes, and
// a line end; a chunk of size 0 and the trailer lines end the body. Some servers send chunks
// even to HTTP/1.0 requests (ffmpeg's own server). A size line or trailer line longer than
// MaxLineBytes, or a size that is no number, is an error. Plain data, no Qt objects: it may be
// moved to another thread with the connection it decodes.
class ChunkedDecoder {
public:
    static constexpr qsizetype MaxLineBytes = 4096;

    enum class State { Size, Data, DataEnd, Trailer, Done, Error };

    // Decodes `in`, appending the body's bytes to `out`. Bytes after the end of the body are
    // ignored. Returns false once the encoding is broken.
    bool decode(QByteArrayView in, QByteArray& out);

    State state() const { return state_; }
    bool isDone() const { return state_ == State::Done; }
    bool failed() const { return state_ == State::Error; }

private:
    bool endOfLine();

    State state_ = State::Size;
    QByteArray line_;
    qint64 remaining_ = 0; // bytes left in the current chunk
};

} // namespace orvanto
