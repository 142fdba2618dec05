// Recording what plays from real servers: an icecast2 radio and ffmpeg's one-client server,
// recorded while the window's player goes on playing them on the one connection it holds.
#include "LabChannel.h"
#include "playback/Recorder.h"
#include "support/LabServers.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int AcceptMs = 40000;

// What ffprobe reads of a file: its format, its streams' codecs and the first stream's decoded
// length in seconds (by its packets' timestamps, not by the file's size).
struct Probed {
    QString format;
    QStringList codecs; // of every stream
    double seconds = 0;
};

Probed probe(const QString& path) {
    QProcess ffprobe;
    ffprobe.start(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-show_entries"_s,
                                 u"format=format_name:stream=codec_name"_s, u"-of"_s,
                                 u"default=noprint_wrappers=1"_s, path});
    ffprobe.waitForFinished(30000);
    Probed probed;
    for (const QString& line : QString::fromUtf8(ffprobe.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(u"format_name="_s)) {
            probed.format = line.mid(12);
        } else if (line.startsWith(u"codec_name="_s)) {
            probed.codecs << line.mid(11);
        }
    }
    // The decoded length: the last packet's end less the first packet's start.
    QProcess packets;
    packets.start(u"ffprobe"_s,
                  {u"-v"_s, u"error"_s, u"-select_streams"_s, u"0"_s, u"-show_entries"_s,
                   u"packet=pts_time,duration_time"_s, u"-of"_s, u"csv=p=0"_s, path});
    packets.waitForFinished(60000);
    double first = -1;
    double last = 0;
    for (const QString& line : QString::fromUtf8(packets.readAllStandardOutput()).split(u'\n')) {
        const QStringList fields = line.split(u',');
        bool ok = false;
        const double pts = fields.value(0).toDouble(&ok);
        if (!ok) {
            continue;
        }
        if (first < 0) {
            first = pts;
        }
        last = qMax(last, pts + fields.value(1).toDouble());
    }
    probed.seconds = first < 0 ? 0 : last - first;
    return probed;
}

// Plays `address` as the window does, records `seconds` of it, and returns the file.
QString recordWhilePlaying(LabChannel& channel, const QString& folder, int seconds) {
    channel.select();
    if (!waitFor([&] { return channel.accepted > 0 || channel.failureBoxes(); }, AcceptMs) ||
        channel.accepted == 0) {
        ADD_FAILURE() << "not accepted: " << channel.describe();
        return {};
    }
    Recorder recorder(channel.player().streamPlayer());
    QSignalSpy ended(&recorder, &Recorder::ended);
    const QString refusal = recorder.start({.channel = channel.name(),
                                            .programme = {},
                                            .start = QDateTime(QDate(2026, 12, 9), QTime(20, 0)),
                                            .folder = folder,
                                            .path = {}});
    EXPECT_EQ(refusal, QString());
    QTest::qWait(seconds * 1000);
    recorder.stop();
    EXPECT_TRUE(ended.wait(20000));
    if (ended.isEmpty()) {
        return {};
    }
    const QList<QVariant> report = ended.takeFirst();
    EXPECT_EQ(report[2].toString(), QString());
    EXPECT_TRUE(channel.keptPlaying()) << channel.describe();
    return report[0].toString();
}

// What was recorded of a channel played as the window plays it, and ffprobe's reading of it.
struct Recorded {
    QString path; // empty: the recording failed, and the test with it
    Probed probed;
};

class RecordStreams : public testing::Test {
protected:
    Recorded record(const QString& name, const QUrl& address, int seconds) {
        LabChannel channel(name, {address.toString()});
        Recorded recorded;
        recorded.path = recordWhilePlaying(channel, folder.path(), seconds);
        if (!recorded.path.isEmpty()) {
            recorded.probed = probe(recorded.path);
        }
        return recorded;
    }
    // The name a recording started at 20.00 on 2026-12-09 is given, in the folder.
    QString named(const QString& file) const { return folder.path() + u'/' + file; }

    LabServers lab;
    QTemporaryDir folder;
};

} // namespace

TEST_F(RecordStreams, ARadioRecordedTwentySecondsDecodesToTwentySeconds) {
    ASSERT_TRUE(lab.startIcecast()) << lab.error().toStdString();
    const Recorded recorded = record(u"Radio One"_s, lab.icecast(u"/radio.mp3"_s), 20);
    ASSERT_FALSE(recorded.path.isEmpty());
    EXPECT_EQ(recorded.path, named(u"Radio One \u2014 2026-12-09 20.00.mp3"_s));
    EXPECT_EQ(recorded.probed.format, u"mp3"_s);
    EXPECT_NEAR(recorded.probed.seconds, 20.0, 1.0);
}

// ffmpeg -listen 1 serves one client: a second connection for the recording would be refused,
// and the player's own would end with it.
TEST_F(RecordStreams, AOneClientServerIsRecordedOnThePlayersOwnConnection) {
    const QUrl address = lab.startListenTs();
    ASSERT_FALSE(address.isEmpty()) << lab.error().toStdString();
    const Recorded recorded = record(u"One Client"_s, address, 10);
    ASSERT_FALSE(recorded.path.isEmpty());
    EXPECT_TRUE(recorded.path.endsWith(u".ts"_s)) << recorded.path.toStdString();
    EXPECT_EQ(recorded.probed.format, u"mpegts"_s);
    EXPECT_TRUE(recorded.probed.codecs.contains(u"h264"_s))
        << recorded.probed.codecs.join(u' ').toStdString();
    EXPECT_NEAR(recorded.probed.seconds, 10.0, 1.5);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1);
}

// Live HLS from nginx, which libVLC reads itself: copied into MPEG-TS by a player of the
// engine's own while the window's goes on.
TEST_F(RecordStreams, ALiveHlsChannelIsCopiedIntoTransportStream) {
    ASSERT_TRUE(lab.startHls()) << lab.error().toStdString();
    const Recorded recorded = record(u"Live TV"_s, lab.hls(u"/hls/live_0.m3u8"_s), 12);
    ASSERT_FALSE(recorded.path.isEmpty());
    EXPECT_EQ(recorded.path, named(u"Live TV \u2014 2026-12-09 20.00.ts"_s));
    EXPECT_EQ(recorded.probed.format, u"mpegts"_s);
    const QStringList& codecs = recorded.probed.codecs;
    EXPECT_TRUE(codecs.contains(u"h264"_s)) << codecs.join(u' ').toStdString();
    EXPECT_TRUE(codecs.contains(u"aac"_s)) << "every track";
    // From the live edge on, which lies a few segments back.
    EXPECT_GE(recorded.probed.seconds, 10.0);
    EXPECT_LE(recorded.probed.seconds, 20.0);
}

// Icecast drops its listeners when the source goes: the player bridges the outage on a new
// connection, and the recording goes on in the same file.
TEST_F(RecordStreams, ARadioWhoseSourceGoesAwayIsRecordedOnInOneFile) {
    ASSERT_TRUE(lab.startIcecast()) << lab.error().toStdString();
    LabChannel channel(u"Radio One"_s, {lab.icecast(u"/radio.mp3"_s).toString()});
    channel.select();
    ASSERT_TRUE(waitFor([&] { return channel.accepted > 0; }, AcceptMs)) << channel.describe();
    Recorder recorder(channel.player().streamPlayer());
    QSignalSpy ended(&recorder, &Recorder::ended);
    ASSERT_EQ(recorder.start({.channel = channel.name(),
                              .programme = {},
                              .start = QDateTime(QDate(2026, 12, 9), QTime(20, 0)),
                              .folder = folder.path(),
                              .path = {}}),
              QString());
    QTest::qWait(5000);
    lab.stopIcecastSource(u"/radio.mp3"_s);
    QTest::qWait(2000);
    ASSERT_TRUE(lab.startIcecastSource(u"/radio.mp3"_s)) << lab.error().toStdString();
    const qint64 before = channel.player().receivedPackets();
    ASSERT_TRUE(waitFor([&] { return channel.player().receivedPackets() > before + 20; }, AcceptMs))
        << channel.describe();
    QTest::qWait(5000);
    EXPECT_TRUE(recorder.isRecording()) << "the outage did not end it";
    recorder.stop();
    ASSERT_TRUE(ended.wait(20000));
    const QList<QVariant> report = ended.takeFirst();
    EXPECT_EQ(report[2].toString(), QString());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 1) << "one file";
    const Probed probed = probe(report[0].toString());
    EXPECT_EQ(probed.format, u"mp3"_s);
    // Five seconds before and at least five after, less nothing but the outage itself.
    EXPECT_GE(probed.seconds, 9.0);
    EXPECT_LE(probed.seconds, 20.0);
    EXPECT_TRUE(channel.keptPlaying()) << channel.describe();
}
