#include "net/VariantList.h"

#include <QXmlStreamReader>
#include <algorithm>

namespace orvanto::VariantList {

namespace {

constexpr int MaxHeight = 8640; // 16K; anything above is no real picture

void add(QList<int>& heights, int height) {
    if (height > 0 && height <= MaxHeight && !heights.contains(height) &&
        heights.size() < MaxVariants) {
        heights << height;
    }
}

// The value of `key` in an HLS attribute list (KEY=value,KEY="quoted, value",...).
QByteArrayView attribute(QByteArrayView list, QByteArrayView key) {
    qsizetype at = 0;
    while (at < list.size()) {
        const qsizetype equals = list.indexOf('=', at);
        if (equals < 0) {
            break;
        }
        const QByteArrayView name = list.sliced(at, equals - at).trimmed();
        qsizetype end = equals + 1;
        if (end < list.size() && list[end] == '"') {
            const qsizetype close = list.indexOf('"', end + 1);
            end = close < 0 ? list.size() : close + 1;
        }
        const qsizetype comma = list.indexOf(',', end);
        const qsizetype valueEnd = comma < 0 ? list.size() : comma;
        if (name.compare(key, Qt::CaseInsensitive) == 0) {
            return list.sliced(equals + 1, valueEnd - equals - 1).trimmed();
        }
        at = valueEnd + 1;
    }
    return {};
}

QList<int> hlsHeights(QByteArrayView text) {
    static constexpr QByteArrayView Tag = "#EXT-X-STREAM-INF:";
    QList<int> heights;
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = text.indexOf('\n', at);
        if (end < 0) {
            end = text.size();
        }
        const QByteArrayView line = text.sliced(at, end - at).trimmed();
        at = end + 1;
        if (line.size() <= Tag.size() ||
            line.first(Tag.size()).compare(Tag, Qt::CaseInsensitive) != 0) {
            continue;
        }
        const QByteArrayView resolution = attribute(line.sliced(Tag.size()), "RESOLUTION");
        const qsizetype x =
            resolution.indexOf('x') >= 0 ? resolution.indexOf('x') : resolution.indexOf('X');
        if (x > 0) {
            add(heights, resolution.sliced(x + 1).toInt());
        }
    }
    return heights;
}

QList<int> dashHeights(QByteArrayView text) {
    QList<int> heights;
    QXmlStreamReader xml(text.toByteArray());
    int setHeight = 0; // the AdaptationSet's own height, for representations without one
    bool videoSet = false;
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const auto attributes = xml.attributes();
        if (xml.name() == u"AdaptationSet") {
            setHeight = attributes.value(QLatin1StringView("height")).toInt();
            const auto type = attributes.value(QLatin1StringView("contentType")).isEmpty()
                                  ? attributes.value(QLatin1StringView("mimeType"))
                                  : attributes.value(QLatin1StringView("contentType"));
            videoSet = type.isEmpty() || type.startsWith(u"video");
            add(heights, videoSet ? setHeight : 0);
        } else if (xml.name() == u"Representation" && videoSet) {
            const int height = attributes.value(QLatin1StringView("height")).toInt();
            add(heights, height > 0 ? height : setHeight);
        }
    }
    return heights;
}

bool isDash(QByteArrayView text) {
    return text.indexOf("<MPD") >= 0;
}

} // namespace

QList<int> heights(QByteArrayView text) {
    if (text.startsWith("\xEF\xBB\xBF")) {
        text = text.sliced(3); // a byte order mark
    }
    QList<int> result = text.trimmed().startsWith("#EXTM3U") ? hlsHeights(text)
                        : isDash(text)                       ? dashHeights(text)
                                                             : QList<int>();
    std::sort(result.begin(), result.end(), std::greater<>());
    return result;
}

bool mayBeAdaptive(const QUrl& url) {
    const QString path = url.path();
    return path.endsWith(QLatin1String(".m3u8"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".mpd"), Qt::CaseInsensitive);
}

} // namespace orvanto::VariantList
