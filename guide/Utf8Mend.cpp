#include "guide/Utf8Mend.h"

namespace orvanto {

namespace {

constexpr char Replacement[] = "\xEF\xBF\xBD";

// The length of the sequence `lead` starts, and the range its second byte must lie in (which
// rules out overlong forms, surrogates and what lies past U+10FFFF); 0 for a byte that starts
// none.
struct Lead {
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

Lead leadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (byte == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (byte == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (byte >= 0xE1 && byte <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (byte == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (byte >= 0xF1 && byte <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (byte == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {};
}

// How many bytes at the end of `bytes` begin a character that is not complete yet (0 to 3).
qsizetype cutAtEnd(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if (byte < 0x80) {
            return 0;
        }
        if (byte >= 0xC0) { // a lead byte: is its sequence complete?
            return leadOf(byte).length > back ? back : 0;
        }
    }
    return 0;
}

// `bytes` mended into `out`; a character cut at their end is invalid.
void mendInto(QByteArrayView bytes, QByteArray& out) {
    const qsizetype size = bytes.size();
    qsizetype at = 0;
    while (at < size) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            out += char(byte);
            ++at;
            continue;
        }
        const Lead lead = leadOf(byte);
        qsizetype valid = lead.length > 0 ? 1 : 0; // bytes of the sequence that are right so far
        while (valid > 0 && valid < lead.length && at + valid < size) {
            const auto next = static_cast<unsigned char>(bytes[at + valid]);
            const unsigned char low = valid == 1 ? lead.low : 0x80;
            const unsigned char high = valid == 1 ? lead.high : 0xBF;
            if (next < low || next > high) {
                break;
            }
            ++valid;
        }
        if (lead.length > 0 && valid == lead.length) {
            out.append(bytes.sliced(at, valid).data(), valid);
            at += valid;
        } else {
            out += Replacement; // the maximal part that could have begun a character
            at += qMax<qsizetype>(valid, 1);
        }
    }
}

} // namespace

QByteArray Utf8Mend::mend(QByteArrayView bytes) {
    QByteArray joined;
    if (!held_.isEmpty()) {
        joined = held_ + bytes.toByteArray();
        held_.clear();
        bytes = joined;
    }
    const qsizetype cut = cutAtEnd(bytes);
    if (cut > 0) {
        held_ = bytes.last(cut).toByteArray();
        bytes.chop(cut);
    }
    if (bytes.isValidUtf8()) {
        return bytes.toByteArray();
    }
    QByteArray out;
    out.reserve(bytes.size() + 16);
    mendInto(bytes, out);
    return out;
}

QByteArray Utf8Mend::finish() {
    QByteArray out;
    mendInto(held_, out);
    held_.clear();
    return out;
}

} // namespace orvanto
