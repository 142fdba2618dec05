#pragma once

#include <QByteArrayView>
#include <QStringList>
#include <QStringView>
#include <QUrl>

namespace orvanto {

// Which addresses a playlist may lead the player to, and what counts as an HLS stream. Both
// playlist readers (the user's channel list and the playlists behind stream addresses) decide
// by these rules, so that one list is never read one way by one reader and the opposite way by
// the other.
namespace AddressPolicy {

// The longest address (in characters) a playlist may name. Web servers refuse longer request
// lines (nginx's and Apache's limit is 8 KiB), so a longer one is refused too, never cut and
// requested anyway.
inline constexpr qsizetype MaxAddressLength = 8192;

// Where a playlist came from.
enum class Origin {
    Network, // downloaded: its author is a stranger, so it may name network streams only
    Local,   // the user's own file: it may name files and devices as well
};

// The schemes of the network streams the player plays: http(s), mms and its variants, rtsp and
// rtmp, in lower case.
const QStringList& streamSchemes();
bool isStreamScheme(QStringView scheme);

// Whether an entry of a playlist from `origin` may name an absolute address with `scheme`.
// A list from the network may not point at this computer (file:, devices, screen capture), at
// the local network's shares and ports (smb:, udp:, rtp:) or at scripts (javascript:). A local
// list may name anything but scripts.
bool mayName(Origin origin, QStringView scheme);

// A network stream: a stream scheme and a host.
bool isNetworkStream(const QUrl& url);

// What the player opens for `location`: an address, or a local file (a path, or a file: URL).
QUrl locationUrl(const QString& location);
// Whether the player looks at what `url` serves before the engine opens it (http and https).
bool isSniffed(const QUrl& url);

// Whether a playlist line is a tag that only HLS carries (#EXT-X-TARGETDURATION,
// #EXT-X-STREAM-INF, ...). A text with one is a single stream of segments, which the engine
// plays itself, not a list of channels or of alternatives. Other #EXT-X- tags (#EXT-X-VERSION)
// decide nothing alone.
bool isHlsTag(QStringView line);
bool isHlsTag(QByteArrayView line);

} // namespace AddressPolicy

} // namespace orvanto
