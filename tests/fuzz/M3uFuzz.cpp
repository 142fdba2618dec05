// libFuzzer target for the playlist reader: decoding, parsing and registering arbitrary bytes.
// Built only with ORVANTO_FUZZ=ON and clang; run by scripts/fuzz.sh.

#include "catalogue/Catalogue.h"
#include "catalogue/M3uParser.h"
#include "catalogue/PlaylistRegistration.h"
#include "catalogue/PlaylistText.h"

#include <QByteArrayView>
#include <QUrl>
#include <cstdint>
#include <cstdlib>

using namespace orvanto;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool hasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

// Header values a request may carry as they are: no control character, bounded.
void checkHeaders(const HttpHeaders& headers) {
    for (int i = 0; i < HttpHeaders::HeaderCount; ++i) {
        const QByteArray value = headers.value(static_cast<HttpHeaders::Header>(i));
        check(QString::fromUtf8(value).size() <= HttpHeaders::MaxValueLength);
        for (char c : value) {
            check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
        }
    }
}

// The first byte chooses where the playlist pretends to come from.
QUrl baseFor(std::uint8_t selector) {
    switch (selector % 4) {
    case 0:
        return {};
    case 1:
        return QUrl::fromLocalFile(QStringLiteral("/home/user/lists/tv.m3u"));
    case 2:
        return QUrl(QStringLiteral("http://lists.example.com/a/b/tv.m3u8?x=1"));
    default:
        return QUrl(QStringLiteral("https://[::1]:8443/tv.m3u"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QUrl base = baseFor(data[0]);
    const QByteArrayView bytes(data + 1, static_cast<qsizetype>(size - 1));

    // The parser on its own, fed whatever the bytes decode to (binary included).
    const M3uResult parsed = parseM3u(QString::fromUtf8(bytes), base);
    check(parsed.problems.size() <= M3uResult::MaxProblemTexts);
    check(parsed.problemCount >= parsed.problems.size());
    check(parsed.guideAddresses.size() <= M3uResult::MaxGuideAddresses);
    for (const M3uEntry& entry : parsed.entries) {
        check(!entry.name.isEmpty() && !entry.address.isEmpty());
        check(!hasLineBreak(entry.name) && !hasLineBreak(entry.address));
        check(entry.line >= 1);
        check(!entry.address.contains(u'|'));
        check(entry.addressOptions.isEmpty() || entry.addressOptions.startsWith(u'|'));
        checkHeaders(entry.headers);
    }
    if (!parsed.rejection.isEmpty()) {
        check(parsed.entries.empty());
    }

    const PlaylistText text = decodePlaylistText(bytes);
    check(text.rejection.isEmpty() || text.text.isEmpty());

    // The whole road into the catalogue, with its limits.
    Catalogue catalogue;
    const PlaylistReport report =
        registerPlaylist(PlaylistData{QStringLiteral("fuzz.m3u"), base, bytes.toByteArray(), {}},
                         catalogue, {QStringLiteral("Locked")});
    check(report.accepted || catalogue.StationCount() == 0);
    check(report.accepted || !report.message.isEmpty());
    check(catalogue.StationCount() == report.stations);
    check(catalogue.StationCount() <= MaxPlaylistStations);
    check(catalogue.urlCount() == report.addresses);
    check(catalogue.FindStation(QStringLiteral("Locked")) == Catalogue::NotFound);
    for (const Station& station : catalogue) {
        check(station.LastUrlIndex >= 0 && station.LastUrlIndex < Station::MaxUrls);
        for (int i = 0; i <= station.LastUrlIndex; ++i) {
            checkHeaders(station.StreamUrls.address(size_t(i)).headers);
        }
    }
    return 0;
}
