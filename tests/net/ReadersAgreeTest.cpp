// The user's channel list and the playlists behind stream addresses are read by two readers;
// given the same downloaded list, they must keep the same addresses and tell HLS alike.

#include "catalogue/M3uParser.h"
#include "net/PlaylistParser.h"

#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

const QUrl kBase(QStringLiteral("http://lists.example.org/tv/list.m3u"));

QStringList channelListAddresses(const QByteArray& text) {
    QStringList addresses;
    for (const M3uEntry& entry : parseM3u(QString::fromUtf8(text), kBase).entries) {
        addresses << entry.address;
    }
    return addresses;
}

QStringList streamPlaylistAddresses(const QByteArray& text) {
    QStringList addresses;
    if (const auto playlist = PlaylistParser::parse(text, kBase)) {
        for (const QUrl& url : playlist->entries) {
            addresses << url.toString();
        }
    }
    return addresses;
}

TEST(PlaylistReaders, KeepTheSameAddressesOfADownloadedList) {
    const QByteArray list = "#EXTM3U\n"
                            "#EXTINF:-1,Multicast\nudp://@239.0.0.1:1234\n"
                            "#EXTINF:-1,Share\nsmb://files.example.com/tv.ts\n"
                            "#EXTINF:-1,Script\njavascript:alert(1)\n"
                            "#EXTINF:-1,Passwords\nfile:///etc/passwd\n"
                            "#EXTINF:-1,Rtp\nrtp://239.0.0.2:5004\n"
                            "#EXTINF:-1,News\nhttp://news.example.com/live\n"
                            "#EXTINF:-1,Radio\nmmsh://radio.example.com/live\n";
    const QStringList expected{QStringLiteral("http://news.example.com/live"),
                               QStringLiteral("mmsh://radio.example.com/live")};
    EXPECT_EQ(channelListAddresses(list), expected);
    EXPECT_EQ(streamPlaylistAddresses(list), expected);
}

TEST(PlaylistReaders, TellHlsAlike) {
    const QByteArray media = "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\nseg1.ts\n";
    const QByteArray master = "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nlow.m3u8\n";
    const QByteArray versioned =
        "#EXTM3U\n#EXT-X-VERSION:3\n#EXTINF:-1,News\nhttp://news.example.com/live\n";
    for (const QByteArray& hls : {media, master}) {
        EXPECT_FALSE(parseM3u(QString::fromUtf8(hls), kBase).rejection.isEmpty()) << hls.data();
        EXPECT_FALSE(PlaylistParser::parse(hls, kBase)) << hls.data();
    }
    EXPECT_TRUE(parseM3u(QString::fromUtf8(versioned), kBase).rejection.isEmpty());
    EXPECT_EQ(streamPlaylistAddresses(versioned),
              QStringList{QStringLiteral("http://news.example.com/live")});
}

} // namespace
} // namespace orvanto::test
