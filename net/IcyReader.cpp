#include "net/IcyReader.h"

#include <QStringDecoder>

namespace orvanto {

qint64 IcyReader::interval(QByteArrayView header) {
    bool ok = false;
    const qint64 value = header.trimmed().toLongLong(&ok);
    return ok && value > 0 && value <= MaxInterval ? value : 0;
}

bool IcyReader::read(QByteArrayView in, QByteArray& out) {
    changed_ = false;
    qsizetype i = 0;
    while (i < in.size()) {
        if (textLeft_ < 0 && audioLeft_ > 0) {
            const qsizetype n = qsizetype(qMin<qint64>(audioLeft_, in.size() - i));
            out.append(in.sliced(i, n));
            i += n;
            audioLeft_ -= n;
            continue;
        }
        if (textLeft_ < 0) {
            textLeft_ = qsizetype(static_cast<unsigned char>(in[i++])) * 16;
            text_.clear();
        } else {
            const qsizetype n = qMin(textLeft_, in.size() - i);
            text_.append(in.sliced(i, n));
            i += n;
            textLeft_ -= n;
        }
        if (textLeft_ == 0) {
            takeTitle(); // an empty block (L = 0) keeps the title of before
            textLeft_ = -1;
            audioLeft_ = interval_;
        }
    }
    return changed_;
}

// Reads StreamTitle='...'; from the block, which may carry other fields too (StreamUrl).
void IcyReader::takeTitle() {
    const qsizetype end = text_.indexOf('\0');
    const QByteArray text = end >= 0 ? text_.left(end) : text_;
    static constexpr QByteArrayView Key = "StreamTitle='";
    const qsizetype start = text.indexOf(Key);
    if (start < 0) {
        return;
    }
    const qsizetype from = start + Key.size();
    qsizetype to = text.indexOf("';", from);
    if (to < 0) {
        to = text.lastIndexOf('\'');
        if (to < from) {
            to = text.size();
        }
    }
    const QByteArray raw = text.mid(from, to - from);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString title = utf8.decode(raw);
    if (utf8.hasError()) {
        title = QString::fromLatin1(raw);
    }
    title = title.trimmed();
    if (title != title_) {
        title_ = title;
        changed_ = true;
    }
}

} // namespace orvanto
