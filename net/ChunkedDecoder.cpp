#include "net/ChunkedDecoder.h"

namespace orvanto {

bool ChunkedDecoder::decode(QByteArrayView in, QByteArray& out) {
    qsizetype i = 0;
    while (i < in.size() && state_ != State::Done && state_ != State::Error) {
        if (state_ == State::Data) {
            const qsizetype n = qsizetype(qMin<qint64>(remaining_, in.size() - i));
            out.append(in.sliced(i, n));
            i += n;
            remaining_ -= n;
            if (remaining_ == 0) {
                state_ = State::DataEnd;
            }
            continue;
        }
        // Size, DataEnd and Trailer read lines.
        const char c = in[i++];
        if (c == '\n') {
            if (!endOfLine()) {
                state_ = State::Error;
            }
            continue;
        }
        if (c != '\r') {
            line_ += c;
        }
        if (line_.size() > MaxLineBytes) {
            state_ = State::Error;
        }
    }
    return state_ != State::Error;
}

bool ChunkedDecoder::endOfLine() {
    const QByteArray line = std::exchange(line_, {}).trimmed();
    switch (state_) {
    case State::Size: {
        const qsizetype semicolon = line.indexOf(';');
        const QByteArray digits = (semicolon < 0 ? line : line.left(semicolon)).trimmed();
        bool ok = false;
        // 15 hex digits at most: no chunk size that does not fit a qint64.
        remaining_ = digits.size() <= 15 ? digits.toLongLong(&ok, 16) : 0;
        if (!ok || remaining_ < 0) {
            return false;
        }
        state_ = remaining_ == 0 ? State::Trailer : State::Data;
        return true;
    }
    case State::DataEnd:
        // The line end after a chunk's bytes.
        if (!line.isEmpty()) {
            return false;
        }
        state_ = State::Size;
        return true;
    case State::Trailer:
        if (line.isEmpty()) {
            state_ = State::Done;
        }
        return true;
    case State::Data:
    case State::Done:
    case State::Error:
        break;
    }
    return false;
}

} // namespace orvanto
