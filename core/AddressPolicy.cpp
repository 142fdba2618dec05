#include "core/AddressPolicy.h"

#include <QLatin1StringView>
#include <algorithm>
#include <array>

namespace orvanto::AddressPolicy {

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr std::array ScriptSchemes = {"javascript"_L1, "vbscript"_L1};

// Each is required in one of the two kinds of HLS playlist, or exists only there.
constexpr std::array HlsTags = {
    "#EXT-X-TARGETDURATION"_L1,     "#EXT-X-MEDIA-SEQUENCE"_L1, "#EXT-X-STREAM-INF"_L1,
    "#EXT-X-I-FRAME-STREAM-INF"_L1, "#EXT-X-PLAYLIST-TYPE"_L1,  "#EXT-X-ENDLIST"_L1,
};

// The tag of a line: up to its colon, or the whole line.
template <typename View, typename Char> View tagOf(View line, Char colonChar) {
    const qsizetype colon = line.indexOf(colonChar);
    return colon < 0 ? line : line.first(colon);
}

} // namespace

const QStringList& streamSchemes() {
    static const QStringList schemes{
        u"http"_s, u"https"_s, u"mms"_s, u"mmsh"_s, u"mmst"_s, u"mmsu"_s, u"rtsp"_s, u"rtmp"_s,
    };
    return schemes;
}

bool isStreamScheme(QStringView scheme) {
    return std::ranges::any_of(streamSchemes(), [scheme](const QString& known) {
        return scheme.compare(known, Qt::CaseInsensitive) == 0;
    });
}

bool mayName(Origin origin, QStringView scheme) {
    if (origin == Origin::Network) {
        return isStreamScheme(scheme);
    }
    return std::ranges::none_of(ScriptSchemes, [scheme](QLatin1StringView script) {
        return scheme.compare(script, Qt::CaseInsensitive) == 0;
    });
}

bool isNetworkStream(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() && isStreamScheme(url.scheme());
}

QUrl locationUrl(const QString& location) {
    const QUrl url(location, QUrl::TolerantMode);
    if (location.startsWith(QLatin1Char('/')) || url.scheme().isEmpty()) {
        return QUrl::fromLocalFile(location);
    }
    return url;
}

bool isSniffed(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool isHlsTag(QStringView line) {
    const QStringView tag = tagOf(line.trimmed(), u':');
    return std::ranges::any_of(HlsTags, [tag](QLatin1StringView known) {
        return tag.compare(known, Qt::CaseInsensitive) == 0;
    });
}

bool isHlsTag(QByteArrayView line) {
    const QByteArrayView tag = tagOf(line.trimmed(), ':');
    return std::ranges::any_of(HlsTags, [tag](QLatin1StringView known) {
        return QLatin1StringView(tag).compare(known, Qt::CaseInsensitive) == 0;
    });
}

} // namespace orvanto::AddressPolicy
