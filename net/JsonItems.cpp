#include "net/JsonItems.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

void JsonItems::fail(const QString& error) {
    if (error_.isEmpty()) {
        error_ = error;
    }
}

void JsonItems::endItem() {
    capturing_ = false;
    if (oversized_) {
        oversized_ = false;
        ++skipped_;
        item_.clear();
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(item_, &parseError);
    item_.clear();
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        ++skipped_;
        return;
    }
    ++items_;
    sink_(document.object());
}

bool JsonItems::feed(QByteArrayView bytes) {
    if (!error_.isEmpty()) {
        return false;
    }
    const char* const data = bytes.data();
    const qsizetype size = bytes.size();
    // Where the item's bytes in this piece begin, while capturing.
    qsizetype from = capturing_ ? 0 : -1;
    auto keep = [&](qsizetype end) {
        if (from < 0) {
            return;
        }
        if (!oversized_ && item_.size() + (end - from) > MaxItemBytes) {
            oversized_ = true;
            item_.clear();
        }
        if (!oversized_) {
            item_.append(data + from, end - from);
        }
        from = -1;
    };
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (done_) {
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
                fail(u"there is more after the end of the JSON list"_s);
                return false;
            }
            continue;
        }
        if (inString_) {
            if (escaped_) {
                escaped_ = false;
            } else if (c == '\\') {
                escaped_ = true;
            } else if (c == '"') {
                inString_ = false;
            }
            continue;
        }
        if (root_ == 0) {
            if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
                continue;
            }
            if (c == '[' || c == '{') {
                root_ = c;
                depth_ = 1;
                continue;
            }
            markup_ = c == '<';
            fail(markup_ ? u"it is a web page, not JSON"_s : u"it is not JSON"_s);
            return false;
        }
        switch (c) {
        case '"':
            inString_ = true;
            break;
        case '{':
        case '[':
            if (depth_ == 1 && c == '{' && (root_ == '[' || afterColon_)) {
                capturing_ = true;
                from = i;
            }
            ++depth_;
            break;
        case '}':
        case ']':
            --depth_;
            if (depth_ == 1 && capturing_) {
                keep(i + 1);
                endItem();
            } else if (depth_ == 0) {
                done_ = true;
            } else if (depth_ < 0) {
                fail(u"its brackets do not match"_s);
                return false;
            }
            break;
        case ':':
            if (depth_ == 1) {
                afterColon_ = true;
            }
            break;
        case ',':
            if (depth_ == 1) {
                afterColon_ = false;
            }
            break;
        default:
            break;
        }
    }
    keep(size);
    return true;
}

bool JsonItems::finish() {
    if (error_.isEmpty() && !done_) {
        fail(root_ == 0 ? u"it is empty"_s : u"it ends before the JSON list does"_s);
    }
    return error_.isEmpty();
}

} // namespace orvanto
