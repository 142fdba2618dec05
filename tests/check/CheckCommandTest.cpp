// The built program's --check against loopback servers: the verdicts it gives.
#include "catalogue/M3uParser.h"
#include "check/CheckCommandFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QUdpSocket>
#include <csignal>
#include <unistd.h>

using namespace orvanto;
using namespace orvanto::test;

namespace {

// A whole WAV file of a quarter of a second: the dummy output plays it out before a decoded
// block is counted.
QByteArray shortClip() {
    const quint32 data = 16000; // 0.25 s of 32 kHz mono 16-bit PCM
    auto le = [](quint32 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i) {
            out += char((value >> (8 * i)) & 0xff);
        }
        return out;
    };
    QByteArray clip = "RIFF" + le(36 + data, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
                      le(32000, 4) + le(64000, 4) + le(2, 2) + le(16, 2) + "data" + le(data, 4);
    for (quint32 i = 0; i < data / 2; ++i) {
        clip += le(quint32(qint16((i % 64) * 512 - 16384)), 2);
    }
    return clip;
}

TEST_F(CheckCommandTest, EveryVerdictInOneRun) {
    const QString dead = TestHttpServer::refusedUrl(u"/first"_s).toString();
    const QString list = writeList({
        {u"Radio"_s, url(u"/live.wav"_s)},
        {u"Video"_s, url(u"/video"_s)},
        {u"Refused"_s, TestHttpServer::refusedUrl().toString()},
        {u"Missing"_s, url(u"/missing"_s)},
        {u"Silent"_s, url(u"/silent"_s)},
        {u"Page"_s, url(u"/page"_s)},
        {u"Garbage"_s, url(u"/garbage"_s)},
        {u"Empty"_s, url(u"/empty"_s)},
        {u"Nested"_s, url(u"/outer.php"_s)},
        {u"DeadList"_s, url(u"/dead.asx"_s)},
        // Its first address is dead, its second plays.
        {u"Second"_s, dead},
        {u"Second"_s, url(u"/other.wav"_s)},
    });
    const Outcome outcome = run({list, u"--timeout"_s, u"4"_s, u"--jobs"_s, u"12"_s, u"--json"_s,
                                 file(u"r.json"_s), u"--write-m3u"_s, file(u"w.m3u"_s)});
    EXPECT_EQ(outcome.status, 1) << outcome.err.toStdString();
    // Not a terminal: plain progress lines, the last one with the totals.
    EXPECT_TRUE(outcome.err.contains(
        QRegularExpression(u"(^|\n)Checked 12/12, 4 play, 0:0\\d elapsed\n$"_s)))
        << outcome.err.toStdString();
    EXPECT_FALSE(outcome.err.contains(u'\r'));

    QHash<QString, QJsonObject> first; // station name -> its first address's report
    const QJsonObject root = readJson(file(u"r.json"_s));
    for (const QJsonValue& station : root[u"stations"_s].toArray()) {
        first.insert(station[u"name"_s].toString(), station[u"addresses"_s][0].toObject());
    }
    auto verdict = [&](const QString& name) { return first[name][u"verdict"_s].toString(); };
    EXPECT_EQ(verdict(u"Radio"_s), u"plays"_s);
    EXPECT_TRUE(first[u"Radio"_s][u"codecs"_s].toArray().size() >= 1);
    EXPECT_EQ(verdict(u"Video"_s), u"plays"_s);
    EXPECT_EQ(first[u"Video"_s][u"width"_s].toInt(), 64);
    EXPECT_EQ(verdict(u"Refused"_s), u"refused"_s);
    EXPECT_EQ(verdict(u"Missing"_s), u"http-status"_s);
    EXPECT_EQ(first[u"Missing"_s][u"httpStatus"_s].toInt(), 404);
    EXPECT_EQ(verdict(u"Silent"_s), u"timed-out"_s);
    EXPECT_EQ(verdict(u"Page"_s), u"not-media"_s);
    EXPECT_EQ(verdict(u"Garbage"_s), u"not-media"_s);
    EXPECT_EQ(verdict(u"Empty"_s), u"ended-at-once"_s);
    EXPECT_EQ(verdict(u"Nested"_s), u"plays"_s);
    EXPECT_EQ(first[u"Nested"_s][u"finalAddress"_s].toString(), url(u"/live.wav"_s));
    EXPECT_EQ(verdict(u"DeadList"_s), u"empty-playlist"_s);
    EXPECT_EQ(root[u"totals"_s][u"stations"_s].toInt(), 11);
    EXPECT_EQ(root[u"totals"_s][u"stationsPlaying"_s].toInt(), 4);

    EXPECT_TRUE(outcome.out.contains(u"Second: 1 of 2 play: %1\n"_s.arg(url(u"/other.wav"_s))))
        << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains(u"Stations with a working address: 4 of 11"_s));

    // The list written back reads as the same stations, working ones (and addresses) first.
    QFile written(file(u"w.m3u"_s));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const M3uResult back = parseM3u(QString::fromUtf8(written.readAll()));
    QStringList names;
    QStringList second;
    for (const M3uEntry& entry : back.entries) {
        names << entry.name;
        if (entry.name == u"Second"_s) {
            second << entry.address;
        }
    }
    EXPECT_EQ(back.problemCount, 0);
    EXPECT_EQ(names.size(), 12);
    EXPECT_EQ(names.mid(0, 5),
              (QStringList{u"Radio"_s, u"Video"_s, u"Nested"_s, u"Second"_s, u"Second"_s}));
    EXPECT_EQ(second, (QStringList{url(u"/other.wav"_s), dead}));
}

// A list of the user's own files: one that is not there is said to be missing, one that is
// there but no media is no media.
TEST_F(CheckCommandTest, AMissingLocalFileIsFileNotFound) {
    QFile junk(file(u"junk.mp3"_s));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(8192, '\x5a'));
    junk.close();
    const Outcome outcome =
        run({writeList({{u"Gone"_s, file(u"gone.mp3"_s)},
                        {u"Relative"_s, u"also-gone.wav"_s},
                        {u"Junk"_s, u"junk.mp3"_s}}),
             u"--quiet"_s, u"--timeout"_s, u"8"_s, u"--json"_s, file(u"r.json"_s)});
    EXPECT_EQ(outcome.status, 1) << outcome.err.toStdString();
    const auto first = firstAddresses(readJson(file(u"r.json"_s)));
    for (const QString& name : {u"Gone"_s, u"Relative"_s}) {
        EXPECT_EQ(first[name][u"verdict"_s].toString().toStdString(), "file-not-found");
        EXPECT_EQ(first[name][u"text"_s].toString().toStdString(), "file not found");
    }
    EXPECT_EQ(first[u"Junk"_s][u"verdict"_s].toString().toStdString(), "not-media");
}

// Playlists as servers publish them: one that names more entries than the player tries says
// how many it left out, and binary data after a playlist's first line is no media.
TEST_F(CheckCommandTest, PlaylistEntriesLeftOutAreSaidAndBinaryPlaylistsAreNoMedia) {
    QByteArray many = "[playlist]\n";
    for (int i = 1; i <= 100; ++i) {
        many += "File" + QByteArray::number(i) + "=" +
                TestHttpServer::refusedUrl(u"/%1"_s.arg(i)).toEncoded() + "\n";
    }
    server.route(u"/many.pls"_s, TestHttpServer::body("audio/x-scpls", many));
    QByteArray junk = "#EXTM3U\n";
    for (int i = 0; i < 4096; ++i) {
        junk += char((i * 131 + 7) % 256);
    }
    server.route(u"/junk.m3u"_s, TestHttpServer::body("audio/x-mpegurl", junk));
    const Outcome outcome = run({writeList({{u"Many"_s, url(u"/many.pls"_s)},
                                            {u"Junk"_s, url(u"/junk.m3u"_s)},
                                            {u"Radio"_s, url(u"/live.wav"_s)}}),
                                 u"--timeout"_s, u"8"_s, u"--json"_s, file(u"r.json"_s)});
    EXPECT_EQ(outcome.status, 1) << outcome.err.toStdString();
    const auto first = firstAddresses(readJson(file(u"r.json"_s)));
    EXPECT_EQ(first[u"Many"_s][u"verdict"_s].toString().toStdString(), "empty-playlist");
    EXPECT_EQ(first[u"Many"_s][u"entriesLeftOut"_s].toInt(), 36);
    EXPECT_EQ(first[u"Many"_s][u"text"_s].toString().toStdString(),
              "playlist with no playable entry; 36 playlist entries beyond the first 64 not tried");
    EXPECT_TRUE(outcome.out.contains(
        u"Many: 0 of 1 play (36 playlist entries beyond the first 64 not tried)\n"_s))
        << outcome.out.toStdString();
    EXPECT_EQ(first[u"Junk"_s][u"verdict"_s].toString().toStdString(), "not-media");
    EXPECT_FALSE(first[u"Radio"_s].contains(u"entriesLeftOut"_s));
    EXPECT_TRUE(outcome.out.contains(u"Radio: 1 of 1 play: %1\n"_s.arg(url(u"/live.wav"_s))));
}

// A server that plays a channel only for the player and the page its list names: the check
// asks with the list's headers, in each notation, and the list written back keeps them.
TEST_F(CheckCommandTest, ChannelsThatNeedTheirHeadersPlay) {
    server.requireHeaders({{"User-Agent", "Smart TV/2.0"}, {"Referer", "https://tv.example/"}});
    const QByteArray live = server.url(u"/live.wav"_s).toEncoded();
    const QByteArray text =
        "#EXTM3U\n"
        "#EXTINF:-1,Vlc\n"
        "#EXTVLCOPT:http-user-agent=Smart TV/2.0\n"
        "#EXTVLCOPT:http-referrer=https://tv.example/\n" +
        live +
        "\n"
        "#EXTINF:-1 user-agent=\"Smart TV/2.0\" referrer=\"https://tv.example/\","
        "Attributes\n" +
        live +
        "\n"
        "#EXTINF:-1,Kodi\n" +
        live +
        "|User-Agent=Smart%20TV%2F2.0&Referer=https%3A%2F%2Ftv.example%2F\n"
        "#EXTINF:-1,Plain\n" +
        live + "\n";
    QFile list(file(u"list.m3u"_s));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(text);
    list.close();
    const Outcome outcome = run({list.fileName(), u"--quiet"_s, u"--timeout"_s, u"8"_s, u"--json"_s,
                                 file(u"r.json"_s), u"--write-m3u"_s, file(u"w.m3u"_s)});
    EXPECT_EQ(outcome.status, 1) << outcome.err.toStdString();
    const auto first = firstAddresses(readJson(file(u"r.json"_s)));
    for (const QString& name : {u"Vlc"_s, u"Attributes"_s, u"Kodi"_s}) {
        EXPECT_EQ(first[name][u"verdict"_s].toString().toStdString(), "plays")
            << name.toStdString();
    }
    EXPECT_EQ(first[u"Plain"_s][u"text"_s].toString().toStdString(), "HTTP status 403");
    QFile written(file(u"w.m3u"_s));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), text);
}

TEST_F(CheckCommandTest, AClipThatEndsAtOnceIsNotTakenForAPage) {
    QList<std::pair<QString, QString>> entries;
    for (int i = 0; i < 6; ++i) {
        const QString path = u"/clip%1.wav"_s.arg(i);
        server.route(path, TestHttpServer::body("audio/wav", shortClip()));
        entries.append({u"Clip %1"_s.arg(i), url(path)});
    }
    const Outcome outcome = run(
        {writeList(entries), u"--quiet"_s, u"--timeout"_s, u"5"_s, u"--json"_s, file(u"r.json"_s)});
    ASSERT_NE(outcome.status, 2) << outcome.err.toStdString();
    for (const QJsonValue& station : readJson(file(u"r.json"_s))[u"stations"_s].toArray()) {
        const QString verdict = station[u"addresses"_s][0][u"verdict"_s].toString();
        EXPECT_TRUE(verdict == u"plays"_s || verdict == u"ended-at-once"_s)
            << station[u"name"_s].toString().toStdString() << ": " << verdict.toStdString();
    }
}

TEST_F(CheckCommandTest, ANameThatDoesNotResolveIsHostNotFound) {
    // A reserved name no resolver knows; one short try, so that a machine whose resolver does
    // not answer fails the lookup quickly too.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"RES_OPTIONS"_s, u"timeout:1 attempts:1"_s);
    process.setProcessEnvironment(environment);
    const Outcome outcome =
        run({writeList({{u"Nowhere"_s, u"http://no-such-host.example/live"_s}}), u"--quiet"_s,
             u"--timeout"_s, u"8"_s, u"--json"_s, file(u"r.json"_s)});
    EXPECT_EQ(outcome.status, 1) << outcome.err.toStdString();
    const QJsonObject address =
        readJson(file(u"r.json"_s))[u"stations"_s][0][u"addresses"_s][0].toObject();
    EXPECT_EQ(address[u"verdict"_s].toString(), u"host-not-found"_s);
    EXPECT_TRUE(outcome.out.contains(u"Nowhere: 0 of 1 play\n"_s)) << outcome.out.toStdString();
}

TEST_F(CheckCommandTest, ListServedAsHtmlByAScript) {
    server.route(u"/list.php"_s,
                 TestHttpServer::body("text/html", "#EXTM3U\n#EXTINF:-1,Radio\n" +
                                                       server.url(u"/live.wav"_s).toEncoded() +
                                                       "\n"));
    const Outcome outcome = run({url(u"/list.php"_s), u"--quiet"_s});
    EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.startsWith(u"Radio: 1 of 1 play"_s)) << outcome.out.toStdString();
}

// Verdicts that tell what really happened: an address whose scheme the engine has no module
// for, though a server answers there, and a server that redirects in a circle.
TEST_F(CheckCommandTest, AnUnsupportedSchemeAndARedirectLoopAreSaidAsSuch) {
    if (QFile::exists(u"/usr/lib/x86_64-linux-gnu/vlc/plugins/access/liblive555_plugin.so"_s)) {
        GTEST_SKIP() << "this libVLC opens rtsp:// addresses";
    }
    server.route(u"/loop-a"_s, TestHttpServer::redirect("/loop-b"));
    server.route(u"/loop-b"_s, TestHttpServer::redirect("/loop-a"));
    QString rtsp = url(u"/live"_s);
    rtsp.replace(u"http://"_s, u"rtsp://"_s);
    const Outcome outcome =
        run({writeList({{u"Camera"_s, rtsp}, {u"Loop"_s, url(u"/loop-a"_s)}}), u"--quiet"_s,
             u"--timeout"_s, u"8"_s, u"--json"_s, file(u"r.json"_s)});
    EXPECT_EQ(outcome.status, 1) << outcome.err.toStdString();
    const auto first = firstAddresses(readJson(file(u"r.json"_s)));
    EXPECT_EQ(first[u"Camera"_s][u"verdict"_s].toString().toStdString(), "unsupported");
    EXPECT_EQ(first[u"Camera"_s][u"text"_s].toString().toStdString(),
              "the player cannot open rtsp:// addresses");
    EXPECT_EQ(first[u"Loop"_s][u"verdict"_s].toString().toStdString(), "too-many-redirects");
}

// A name server that never answers, for a check run with it as its resolver (in a mount
// namespace of its own, where /etc/resolv.conf names it): the name is not found, and the
// report says there was no answer rather than that the stream sent no data.
TEST_F(CheckCommandTest, ANameTheResolverDoesNotAnswerIsHostNotFoundWithNoAnswer) {
    QUdpSocket silentServer;
    if (geteuid() != 0 || !silentServer.bind(QHostAddress(u"127.0.0.77"_s), 53)) {
        GTEST_SKIP() << "needs root, for port 53 and a mount namespace";
    }
    QFile resolv(file(u"resolv.conf"_s));
    ASSERT_TRUE(resolv.open(QIODevice::WriteOnly));
    resolv.write("nameserver 127.0.0.77\noptions timeout:20 attempts:1\n");
    resolv.close();
    process.setProgram(u"unshare"_s);
    process.setArguments({u"--mount"_s, u"sh"_s, u"-c"_s,
                          u"mount --bind \"$0\" /etc/resolv.conf && exec \"$@\""_s,
                          resolv.fileName(), QStringLiteral(ORVANTO_BINARY), u"--check"_s,
                          writeList({{u"Far"_s, u"http://far-away.example/live"_s}}), u"--quiet"_s,
                          u"--timeout"_s, u"3"_s, u"--json"_s, file(u"r.json"_s)});
    process.start();
    ASSERT_TRUE(process.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    const Outcome outcome = finish(40000);
    if (outcome.err.contains(u"unshare"_s) || outcome.err.contains(u"mount"_s)) {
        GTEST_SKIP() << "no mount namespace here: " << outcome.err.toStdString();
    }
    EXPECT_EQ(outcome.status, 1) << outcome.err.toStdString();
    EXPECT_LT(timer.elapsed(), 15000) << "the check ends when its time is up";
    const auto first = firstAddresses(readJson(file(u"r.json"_s)));
    EXPECT_EQ(first[u"Far"_s][u"verdict"_s].toString().toStdString(), "host-not-found");
    EXPECT_EQ(first[u"Far"_s][u"text"_s].toString().toStdString(), "host not found (no answer)");
}

} // namespace
