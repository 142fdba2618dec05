// Recording what the player plays: the bytes of the player's own connections, through an outage
// it bridges, into one file; what it cannot record it says.
#include "playback/Recorder.h"

#include "StreamPlayerFixture.h"
#include "net/StreamConnection.h"
#include "support/FakeCopy.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <unistd.h>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

namespace {

// A stream's connection whose server end the test writes to.
struct Served {
    Served() {
        int pair[2] = {-1, -1};
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        server = pair[1];
        connection = std::make_shared<StreamConnection>(QUrl(u"http://radio.example/live"_s),
                                                        pair[0], QByteArray(), QByteArray(),
                                                        std::nullopt, std::nullopt, -1, -1);
    }
    ~Served() { ::close(server); }
    Sniffer::Result result() const {
        Sniffer::Result stream;
        stream.kind = Kind::Stream;
        stream.connection = connection;
        return stream;
    }
    // The server sends `bytes`; the engine reads them, as libVLC's input does.
    void send(const QByteArray& bytes) const {
        ASSERT_EQ(::write(server, bytes.constData(), size_t(bytes.size())), bytes.size());
        QByteArray read(bytes.size(), 0);
        qsizetype at = 0;
        while (at < read.size()) {
            const qint64 n = connection->read(read.data() + at, read.size() - at);
            ASSERT_GT(n, 0);
            at += qsizetype(n);
        }
        ASSERT_EQ(read, bytes);
    }
    int server = -1;
    std::shared_ptr<StreamConnection> connection;
};

} // namespace

class RecorderTest : public StreamPlayerTest {
protected:
    Recorder::Request request() const {
        return {.channel = u"News 24"_s,
                .programme = u"Evening"_s,
                .start = QDateTime(QDate(2026, 12, 9), QTime(20, 0)),
                .folder = dir.path(),
                .path = {}};
    }
    QTemporaryDir dir;
    Recorder recorder{player};
};

TEST_F(RecorderTest, AStreamBridgedAfterAnOutageGoesOnInTheSameFile) {
    QSignalSpy ended(&recorder, &Recorder::ended);
    const Served first;
    player.setURL(u"http://radio.example/live"_s);
    ASSERT_TRUE(sniffer.decide(first.result()));
    enginePlays();
    const QByteArray before = tsPackets(100, 'a');
    first.send(before); // played before the recording: not in it
    ASSERT_EQ(recorder.start(request()), QString());
    EXPECT_TRUE(recorder.isRecording());
    const QByteArray during = tsPackets(200, 'b');
    first.send(during);

    engine.report(Event::Ended); // the server went: looked at again at once
    const Served second;
    ASSERT_TRUE(sniffer.decide(second.result()));
    enginePlays();
    const QByteArray after = tsPackets(200, 'c');
    second.send(after);
    recorder.stop();
    EXPECT_FALSE(recorder.isRecording());
    second.send(tsPackets(10, 'd')); // after the recording

    ASSERT_TRUE(ended.wait(20000));
    const QList<QVariant> report = ended.takeFirst();
    const QString path = report[0].toString();
    EXPECT_EQ(path, dir.path() + u"/News 24 \u2014 Evening \u2014 2026-12-09 20.00.ts"_s);
    EXPECT_EQ(report[1].toLongLong(), during.size() + after.size());
    EXPECT_TRUE(report[2].toString().isEmpty()) << report[2].toString().toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), during + after);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

// A copy that writes what the test says into its file.
TEST_F(RecorderTest, WhatTheEngineReadsItselfItCopiesIntoANewFile) {
    EXPECT_FALSE(recorder.start(request()).isEmpty()) << "nothing plays";
    player.setURL(u"http://tv.example/live.m3u8"_s);
    ASSERT_TRUE(sniffer.decide(Kind::Stream)); // the engine opens it itself
    enginePlays();
    // An engine that cannot copy: said at once, no file left.
    EXPECT_FALSE(recorder.start(request()).isEmpty());
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    FakeCopy* copy = nullptr;
    QString copied;
    engine.copier = [&](const MediaSource& source, int descriptor) {
        copied = source.location;
        auto made = std::make_unique<FakeCopy>(descriptor);
        made->first = source.location;
        copy = made.get();
        return made;
    };
    QSignalSpy ended(&recorder, &Recorder::ended);
    ASSERT_EQ(recorder.start(request()), QString());
    EXPECT_EQ(copied, u"http://tv.example/live.m3u8"_s);
    EXPECT_TRUE(recorder.isRecording());
    const QString path = dir.path() + u"/News 24 \u2014 Evening \u2014 2026-12-09 20.00.ts"_s;
    EXPECT_EQ(recorder.path(), path);
    copy->write(tsPackets(10, 'a'));
    EXPECT_EQ(recorder.bytesWritten(), 1880);
    // The player moves to another address the engine reads itself: the copy goes with it.
    player.setURL(u"http://backup.example/live.m3u8"_s);
    ASSERT_TRUE(sniffer.decide(Kind::Stream));
    enginePlays();
    EXPECT_EQ(copy->followed, QStringList{u"http://backup.example/live.m3u8"_s});
    recorder.stop();
    EXPECT_FALSE(recorder.isRecording());
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_EQ(ended[0][0].toString(), path);
    EXPECT_EQ(ended[0][1].toLongLong(), 1880);
    EXPECT_EQ(ended[0][2].toString(), QString());

    // One that fails by itself says why; one with nothing in it leaves no file.
    ASSERT_EQ(recorder.start(request()), QString());
    EXPECT_EQ(recorder.path(),
              dir.path() + u"/News 24 \u2014 Evening \u2014 2026-12-09 20.00 (2).ts"_s);
    copy->write(tsPackets(5, 'b'));
    copy->fail(u"The disk is full."_s);
    EXPECT_FALSE(recorder.isRecording());
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_EQ(ended[1][2].toString(), u"The disk is full."_s);
    ASSERT_EQ(recorder.start(request()), QString());
    recorder.stop();
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_EQ(ended[2][0].toString(), QString());
    EXPECT_EQ(ended[2][2].toString(), u"Nothing came to record."_s);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(RecorderTest, ARecordingThatFailsEndsAndSaysWhy) {
    QSignalSpy changed(&recorder, &Recorder::recordingChanged);
    QSignalSpy ended(&recorder, &Recorder::ended);
    const Served stream;
    player.setURL(u"http://radio.example/live"_s);
    ASSERT_TRUE(sniffer.decide(stream.result()));
    enginePlays();
    QFile blocker(dir.path() + u"/taken"_s); // a file where the folder would be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Recorder::Request into = request();
    into.folder = dir.path() + u"/taken/sub"_s;
    EXPECT_FALSE(recorder.start(into).isEmpty()) << "a folder that cannot be made, at once";

    ASSERT_EQ(recorder.start(request()), QString());
    QFile::remove(dir.path() + u"/taken"_s);
    stream.send(tsPackets(200, 'a'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.path().isEmpty(); }, 20000));
    ASSERT_TRUE(QFile::remove(recorder.path()));
    stream.send(tsPackets(200, 'b'));
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_EQ(ended.takeFirst()[2].toString(), u"The recording's file was removed."_s);
    ASSERT_GE(changed.size(), 2);
    EXPECT_EQ(changed.last()[0].toBool(), false);
}
