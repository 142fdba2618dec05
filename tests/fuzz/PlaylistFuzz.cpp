// libFuzzer target for the player's playlist reader (ASX, [Reference], PLS, M3U, in UTF-8,
// UTF-16, Windows-1252 and with byte-order marks): sniffing and parsing arbitrary bytes.
// Built only with ORVANTO_FUZZ=ON and clang; run by scripts/fuzz.sh.

#include "net/PlaylistParser.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte says where the reply's head is cut, as a sniffer reading it in pieces sees
    // it.
    const QByteArrayView bytes(data + 1, static_cast<qsizetype>(size - 1));
    const qsizetype cut = bytes.size() * data[0] / 255;
    const QUrl base(QStringLiteral("http://radio.example.com/live/list.php?id=7"));

    const auto whole = PlaylistParser::sniff(bytes, true);
    check(whole != PlaylistParser::Verdict::NeedMore);
    const auto part = PlaylistParser::sniff(bytes.first(cut), false);
    (void)part;

    const auto playlist = PlaylistParser::parse(bytes, base);
    if (playlist) {
        check(whole == PlaylistParser::Verdict::Playlist);
        check(playlist->entries.size() <= PlaylistParser::MaxEntries);
        check(playlist->entriesLeftOut >= 0);
        check(playlist->entriesLeftOut == 0 ||
              playlist->entries.size() == PlaylistParser::MaxEntries);
        check(!playlist->binary || playlist->entries.isEmpty());
        for (const QUrl& entry : playlist->entries) {
            check(PlaylistParser::isNetworkStream(entry));
            check(!entry.toString().contains(QLatin1Char('\n')));
        }
    }
    return 0;
}
