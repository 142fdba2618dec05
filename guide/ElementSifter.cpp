#include "guide/ElementSifter.h"

#include "guide/XmltvTime.h"

#include <QHashFunctions>
#include <cstring>
#include <optional>

namespace orvanto {

namespace {

// Fixed, so that a digest kept with a programme is found again by the next run.
constexpr size_t DigestSeed = 0x4f7276616e746f31;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// What the sifter needs of a programme's start tag.
struct ProgrammeTag {
    QByteArray channel;
    std::optional<qint64> start;
    std::optional<qint64> stop;
};

std::optional<qint64> timeOf(QByteArrayView value) {
    return parseXmltvTime(QString::fromLatin1(value));
}

// The attributes of a start tag (`tag` from its name's end to its '>').
ProgrammeTag programmeTag(QByteArrayView tag) {
    ProgrammeTag found;
    qsizetype i = 0;
    const qsizetype n = tag.size();
    while (i < n) {
        while (i < n && isSpace(tag[i])) {
            ++i;
        }
        const qsizetype nameStart = i;
        while (i < n && tag[i] != '=' && !isSpace(tag[i]) && tag[i] != '>' && tag[i] != '/') {
            ++i;
        }
        const QByteArrayView name = tag.sliced(nameStart, i - nameStart);
        while (i < n && isSpace(tag[i])) {
            ++i;
        }
        if (i >= n || tag[i] != '=') {
            break;
        }
        ++i;
        while (i < n && isSpace(tag[i])) {
            ++i;
        }
        if (i >= n || (tag[i] != '"' && tag[i] != '\'')) {
            break;
        }
        const char quote = tag[i++];
        const qsizetype valueStart = i;
        while (i < n && tag[i] != quote) {
            ++i;
        }
        const QByteArrayView value = tag.sliced(valueStart, i - valueStart);
        ++i;
        if (name == "channel") {
            found.channel = value.trimmed().toByteArray();
        } else if (name == "start") {
            found.start = timeOf(value);
        } else if (name == "stop") {
            found.stop = timeOf(value);
        }
    }
    return found;
}

} // namespace

quint64 ElementSifter::digest(QByteArrayView element) {
    const quint64 value = qHash(element, DigestSeed);
    return value == 0 ? 1 : value;
}

bool ElementSifter::feed(QByteArrayView bytes) {
    if (stopped_) {
        return false;
    }
    if (off_) {
        stopped_ = !sink_.through(bytes);
        return !stopped_;
    }
    buffer_.append(bytes);
    if (!checkedStart_) {
        if (buffer_.size() < 4) {
            return true;
        }
        checkedStart_ = true;
        // UTF-16 and UTF-32 (with or without a byte order mark) put zero bytes or a mark of
        // their own in the first four: their markup is not found byte by byte.
        const QByteArrayView head(buffer_.constData(), 4);
        if (head.contains('\0') || head.startsWith("\xfe\xff") || head.startsWith("\xff\xfe")) {
            return giveUp();
        }
    }
    return scan();
}

bool ElementSifter::finish() {
    if (stopped_) {
        return false;
    }
    if (off_) {
        return true;
    }
    checkedStart_ = true;
    const bool passed = flushThrough(buffer_.size());
    buffer_.clear();
    pos_ = flushed_ = 0;
    return passed;
}

bool ElementSifter::giveUp() {
    off_ = true;
    const QByteArray held = std::exchange(buffer_, {});
    stopped_ = !sink_.through(QByteArrayView(held).sliced(flushed_));
    pos_ = flushed_ = 0;
    elementStart_ = -1;
    return !stopped_;
}

bool ElementSifter::flushThrough(qsizetype upTo) {
    if (upTo <= flushed_) {
        return true;
    }
    const QByteArrayView bytes = QByteArrayView(buffer_).sliced(flushed_, upTo - flushed_);
    flushed_ = upTo;
    stopped_ = !sink_.through(bytes);
    return !stopped_;
}

bool ElementSifter::scan() {
    for (;;) {
        const qsizetype open = buffer_.indexOf('<', pos_);
        if (open < 0) {
            pos_ = buffer_.size();
            break;
        }
        const qsizetype end = markupEnd(open);
        if (end < 0) {
            return giveUp();
        }
        if (end == 0) {
            pos_ = open;
            if (buffer_.size() - open > MaxElementBytes) {
                return giveUp();
            }
            break;
        }
        const char kind = buffer_[open + 1];
        pos_ = end;
        if (kind == '/') {
            if (--depth_ < 0) {
                return giveUp(); // an end tag with no start: the reader says what is wrong
            }
            if (depth_ == 1 && elementStart_ >= 0 && !elementDone(end)) {
                return false;
            }
        } else if (kind != '!' && kind != '?' && !startTag(open, end)) {
            return false;
        }
    }
    if (elementStart_ < 0) {
        // Outside every element, all but a piece of markup still coming is handed on.
        const qsizetype open = pos_ < buffer_.size() ? pos_ : buffer_.size();
        if (!flushThrough(open)) {
            return false;
        }
    } else if (buffer_.size() - elementStart_ > MaxElementBytes) {
        return giveUp();
    }
    if (flushed_ > 0) {
        buffer_.remove(0, flushed_);
        pos_ -= flushed_;
        if (elementStart_ >= 0) {
            elementStart_ -= flushed_;
        }
        flushed_ = 0;
    }
    return true;
}

qsizetype ElementSifter::markupEnd(qsizetype at) const {
    const char* data = buffer_.constData();
    const qsizetype size = buffer_.size();
    const auto past = [&](const char* what, qsizetype from) -> qsizetype {
        const qsizetype found = buffer_.indexOf(what, from);
        return found < 0 ? 0 : found + qsizetype(std::strlen(what));
    };
    const QByteArrayView rest(data + at, size - at);
    if (rest.size() < 2) {
        return 0;
    }
    if (rest[1] == '?') {
        return past("?>", at + 2);
    }
    if (rest[1] == '!') {
        if (rest.size() < 4) {
            return 0;
        }
        if (rest.startsWith("<!--")) {
            return past("-->", at + 4);
        }
        if (rest[2] == '[') {
            if (rest.size() < 9) {
                return 0;
            }
            return rest.startsWith("<![CDATA[") ? past("]]>", at + 9) : -1;
        }
        // A declaration (DOCTYPE), with its internal subset in brackets.
        char quote = 0;
        int brackets = 0;
        for (qsizetype i = at + 2; i < size; ++i) {
            const char c = data[i];
            if (quote != 0) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                return i + 1;
            }
        }
        return 0;
    }
    // A tag: its '>' is the first outside a quoted value.
    char quote = 0;
    for (qsizetype i = at + 1; i < size; ++i) {
        const char c = data[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        } else if (c == '<') {
            return -1;
        }
    }
    return 0;
}

bool ElementSifter::startTag(qsizetype at, qsizetype end) {
    const bool empty = buffer_[end - 2] == '/';
    if (depth_ == 0) {
        depth_ = empty ? 0 : 1; // the root
        return true;
    }
    if (depth_ > 1) {
        depth_ += empty ? 0 : 1;
        return true;
    }
    if (!flushThrough(at)) {
        return false;
    }
    elementStart_ = at;
    qsizetype nameEnd = at + 1;
    while (nameEnd < end - 1 && !isSpace(buffer_[nameEnd]) && buffer_[nameEnd] != '/' &&
           buffer_[nameEnd] != '>') {
        ++nameEnd;
    }
    const QByteArrayView tag(buffer_.constData() + at + 1, end - at - 1);
    programme_ = tag.first(nameEnd - at - 1) == "programme";
    if (programme_) {
        const ProgrammeTag attributes = programmeTag(tag.sliced(nameEnd - at - 1));
        const bool ends =
            attributes.start && attributes.stop && *attributes.stop > *attributes.start;
        mustRead_ = !ends || openEnded_.contains(attributes.channel);
        if (ends) {
            openEnded_.remove(attributes.channel);
        } else {
            openEnded_.insert(attributes.channel);
        }
    }
    if (empty) {
        return elementDone(end);
    }
    depth_ = 2;
    return true;
}

bool ElementSifter::elementDone(qsizetype end) {
    if (end - elementStart_ > MaxElementBytes) {
        return giveUp();
    }
    const QByteArrayView element(buffer_.constData() + elementStart_, end - elementStart_);
    const bool goesOn =
        programme_ ? sink_.programme(element, digest(element), mustRead_) : sink_.through(element);
    flushed_ = end;
    elementStart_ = -1;
    programme_ = false;
    stopped_ = !goesOn;
    return goesOn;
}

} // namespace orvanto
