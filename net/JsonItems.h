#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QString>
#include <functional>

namespace orvanto {

// Reads the items of a JSON list as its bytes arrive, without ever holding the whole answer: the
// objects that are elements of a top-level array or, as some portals send their lists, values of
// a top-level object keyed by id. Each item is parsed on its own, so an answer of a quarter of a
// million channels costs the memory of one of them. Elements that are no objects (null, numbers)
// are passed over; an item that does not parse, or is larger than MaxItemBytes, is counted as
// skipped and the rest is read on.
class JsonItems {
public:
    static constexpr qsizetype MaxItemBytes = 64 * 1024;

    using Sink = std::function<void(const QJsonObject&)>;
    explicit JsonItems(Sink sink) : sink_(std::move(sink)) {}

    // Reads on; false once the answer is known to be no JSON list (see error()).
    bool feed(QByteArrayView bytes);
    // The answer has ended: false unless it was a whole JSON list.
    bool finish();

    // Why the answer is no JSON list, in words; empty while it is one.
    const QString& error() const { return error_; }
    // The answer began as a web page (HTML or XML) does.
    bool isMarkup() const { return markup_; }
    qsizetype items() const { return items_; }
    qsizetype skipped() const { return skipped_; }

private:
    void fail(const QString& error);
    void endItem();

    Sink sink_;
    QString error_;
    bool markup_ = false;
    bool done_ = false;
    char root_ = 0;         // '[' or '{' once the answer has begun
    int depth_ = 0;         // containers open, the root one included
    bool inString_ = false; // within a string...
    bool escaped_ = false;  // ... just after a backslash
    bool afterColon_ = false;
    bool capturing_ = false; // within an object item
    bool oversized_ = false; // the item went past MaxItemBytes: its bytes are not kept
    QByteArray item_;
    qsizetype items_ = 0;
    qsizetype skipped_ = 0;
};

} // namespace orvanto
