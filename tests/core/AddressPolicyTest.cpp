#include "core/AddressPolicy.h"

#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

using AddressPolicy::Origin;

QString s(const char* text) {
    return QString::fromUtf8(text);
}

TEST(AddressPolicy, NetworkListsNameNetworkStreamsOnly) {
    for (const char* scheme :
         {"http", "https", "mms", "mmsh", "mmst", "mmsu", "rtsp", "rtmp", "HTTP", "Mms"}) {
        EXPECT_TRUE(AddressPolicy::mayName(Origin::Network, s(scheme))) << scheme;
    }
    // This computer, the local network, scripts, and whatever else is no stream we play.
    for (const char* scheme : {"file", "FILE", "fd", "screen", "v4l2", "alsa", "dvd", "udp", "rtp",
                               "smb", "nfs", "sftp", "ftp", "javascript", "data", "about", ""}) {
        EXPECT_FALSE(AddressPolicy::mayName(Origin::Network, s(scheme))) << scheme;
    }
}

TEST(AddressPolicy, LocalListsNameAnythingButScripts) {
    for (const char* scheme : {"http", "mms", "file", "udp", "rtp", "smb", "v4l2", "dvd"}) {
        EXPECT_TRUE(AddressPolicy::mayName(Origin::Local, s(scheme))) << scheme;
    }
    for (const char* scheme : {"javascript", "JavaScript", "vbscript"}) {
        EXPECT_FALSE(AddressPolicy::mayName(Origin::Local, s(scheme))) << scheme;
    }
}

TEST(AddressPolicy, NetworkStreamNeedsAStreamSchemeAndAHost) {
    for (const char* url : {"http://a.example.com/live", "MMS://a.example.com:1755/tv",
                            "rtmp://a.example.com/app/key"}) {
        EXPECT_TRUE(AddressPolicy::isNetworkStream(QUrl(s(url)))) << url;
    }
    for (const char* url : {"http:///nohost", "file:///etc/passwd", "udp://@239.0.0.1:1234",
                            "smb://share.example.com/x.ts", "javascript:alert(1)", "live.ts", ""}) {
        EXPECT_FALSE(AddressPolicy::isNetworkStream(QUrl(s(url)))) << url;
    }
}

TEST(AddressPolicy, HlsIsToldByTheTagsOnlyHlsCarries) {
    for (const char* line : {"#EXT-X-TARGETDURATION:10", "#ext-x-stream-inf:BANDWIDTH=1280000",
                             "#EXT-X-MEDIA-SEQUENCE:0", "#EXT-X-I-FRAME-STREAM-INF:URI=\"i.m3u8\"",
                             "#EXT-X-PLAYLIST-TYPE:VOD", "#EXT-X-ENDLIST", "  #EXT-X-ENDLIST\r"}) {
        EXPECT_TRUE(AddressPolicy::isHlsTag(s(line))) << line;
        EXPECT_TRUE(AddressPolicy::isHlsTag(QByteArrayView(line))) << line;
    }
    // Tags channel lists carry too, and names that only begin like an HLS tag.
    for (const char* line :
         {"#EXTM3U", "#EXTINF:-1,News", "#EXT-X-VERSION:3", "#EXTVLCOPT:x=1", "#EXT-X-ENDLISTS",
          "#EXT-X-TARGETDURATIONS:1", "#EXT-X-", "", "http://a.example.com/#EXT-X-ENDLIST"}) {
        EXPECT_FALSE(AddressPolicy::isHlsTag(s(line))) << line;
        EXPECT_FALSE(AddressPolicy::isHlsTag(QByteArrayView(line))) << line;
    }
}

} // namespace
} // namespace orvanto::test
