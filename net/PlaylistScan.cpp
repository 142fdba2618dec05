#include "net/PlaylistScan.h"

namespace orvanto::PlaylistScan {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithCi(QByteArrayView text, qsizetype pos, QByteArrayView literal, bool partial) {
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (pos + i >= text.size()) {
            return partial;
        }
        if (lower(text[pos + i]) != literal[i]) {
            return false;
        }
    }
    return true;
}

qsizetype find(QByteArrayView text, qsizetype from, QByteArrayView what) {
    return QByteArrayView(text).indexOf(what, from);
}

qsizetype doctypeEnd(QByteArrayView text, qsizetype pos) {
    const qsizetype close = find(text, pos, ">");
    const qsizetype bracket = find(text, pos, "[");
    if (bracket >= 0 && (close < 0 || bracket < close)) {
        const qsizetype subsetEnd = find(text, bracket, "]");
        if (subsetEnd < 0) {
            return -1;
        }
        const qsizetype end = find(text, subsetEnd, ">");
        return end < 0 ? -1 : end + 1;
    }
    return close < 0 ? -1 : close + 1;
}

} // namespace orvanto::PlaylistScan
