#include "guide/TextRunCut.h"

#include <cstring>

namespace orvanto {

namespace {

// An entity reference is a name between '&' and ';': one longer than this is no reference,
// and the XML reader refuses it anyway.
constexpr qsizetype MaxEntityBytes = 32;

bool isContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

qsizetype find(QByteArrayView bytes, qsizetype from, char byte) {
    const void* at = std::memchr(bytes.data() + from, byte, size_t(bytes.size() - from));
    return at ? static_cast<const char*>(at) - bytes.data() : bytes.size();
}

// Whether `text` ends inside an entity reference, given whether what came before it did.
bool endsInEntity(QByteArrayView text, bool before) {
    for (qsizetype i = text.size() - 1; i >= 0 && i >= text.size() - MaxEntityBytes; --i) {
        if (text[i] == ';') {
            return false;
        }
        if (text[i] == '&') {
            return true;
        }
    }
    return text.size() < MaxEntityBytes && before;
}

} // namespace

QByteArray TextRunCut::pass(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        switch (state_) {
        case State::Text:
            at = textRun(bytes, at, out);
            continue;
        case State::CData:
            at = cdataRun(bytes, at, out);
            continue;
        default:
            break;
        }
        const char byte = bytes[at++];
        out += byte;
        switch (state_) {
        case State::Open:
            opened_ += byte;
            if (opened_ == "<!--") {
                state_ = State::Comment;
            } else if (opened_ == "<![CDATA[") {
                state_ = State::CData;
                run_ = 0;
            } else if (opened_ == "<?") {
                state_ = State::Pi;
            } else if (!QByteArrayView("<!--").startsWith(opened_) &&
                       !QByteArrayView("<![CDATA[").startsWith(opened_)) {
                state_ = byte == '>' ? State::Text : State::Tag;
                run_ = 0;
            }
            break;
        case State::Tag:
            if (byte == '"' || byte == '\'') {
                quote_ = byte;
                state_ = State::Quoted;
            } else if (byte == '>') {
                state_ = State::Text;
                run_ = 0;
            }
            break;
        case State::Quoted:
            state_ = byte == quote_ ? State::Tag : State::Quoted;
            break;
        case State::Comment:
            if (byte == '>' && last_[0] == '-' && last_[1] == '-') {
                state_ = State::Text;
                run_ = 0;
            }
            break;
        case State::Pi:
            if (byte == '>' && last_[1] == '?') {
                state_ = State::Text;
                run_ = 0;
            }
            break;
        case State::Text:
        case State::CData:
            break;
        }
        last_[0] = last_[1];
        last_[1] = byte;
    }
    return out;
}

qsizetype TextRunCut::textRun(QByteArrayView bytes, qsizetype at, QByteArray& out) {
    const qsizetype end = find(bytes, at, '<');
    const qsizetype keep = kept(bytes, at, end, true);
    out += bytes.sliced(at, keep - at);
    entityOpen_ = endsInEntity(bytes.sliced(at, keep - at), entityOpen_);
    if (end < bytes.size()) {
        out += '<';
        opened_ = "<";
        state_ = State::Open;
        dropping_ = false;
        entityOpen_ = false;
        return end + 1;
    }
    return end;
}

qsizetype TextRunCut::cdataRun(QByteArrayView bytes, qsizetype at, QByteArray& out) {
    // The section ends at "]]>", which may begin in an earlier piece; its end counts as part of
    // the run here.
    qsizetype end = at;
    bool closed = false;
    while (end < bytes.size() && !closed) {
        const char byte = bytes[end++];
        closed = byte == '>' && last_[0] == ']' && last_[1] == ']';
        last_[0] = last_[1];
        last_[1] = byte;
    }
    out += bytes.sliced(at, kept(bytes, at, end, false) - at);
    if (closed) {
        if (dropping_) {
            out += "]]>"; // what is left of the section ends as it did
        }
        state_ = State::Text;
        run_ = 0;
        dropping_ = false;
    }
    return end;
}

qsizetype TextRunCut::kept(QByteArrayView bytes, qsizetype at, qsizetype end, bool references) {
    qsizetype keep = end;
    if (dropping_) {
        keep = at;
    } else if (run_ + (end - at) > maxRun_) {
        keep = cutPoint(bytes, at + (maxRun_ - run_), at, references);
        dropping_ = keep < end;
        cuts_ += dropping_ ? 1 : 0;
    }
    run_ += end - at;
    return keep;
}

qsizetype TextRunCut::cutPoint(QByteArrayView bytes, qsizetype at, qsizetype start,
                               bool references) const {
    qsizetype cut = qMax(at, start);
    // Past a reference under way: to its ';' (within the bound of a reference).
    if (references && endsInEntity(bytes.sliced(start, cut - start), entityOpen_)) {
        const qsizetype limit = qMin(bytes.size(), cut + MaxEntityBytes);
        qsizetype i = cut;
        while (i < limit && bytes[i] != ';' && bytes[i] != '<') {
            ++i;
        }
        if (i < limit) {
            cut = bytes[i] == ';' ? i + 1 : i;
        } else if (limit == bytes.size()) {
            cut = limit; // the rest of the reference may be in the next piece
        }
    }
    // Past the character under way.
    while (cut < bytes.size() && isContinuation(bytes[cut])) {
        ++cut;
    }
    return cut;
}

} // namespace orvanto
