// A recording's file and its name: what it is called, where it goes, and what it keeps when the
// disk fills, the file goes or the disk is too slow.
#include "playback/RecordingFile.h"

#include "playback/RecordingName.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <thread>
#include <unistd.h>

using namespace orvanto;
using orvanto::test::FileSizeLimit;
using namespace Qt::Literals::StringLiterals;

namespace {

// MPEG-TS packets with a counter in their payload.
QByteArray tsPackets(int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        QByteArray packet(188, char(i));
        packet[0] = 0x47;
        bytes += packet;
    }
    return bytes;
}

// MPEG-1 layer III frames, 128 kbit/s at 44.1 kHz: 417 bytes each.
QByteArray mp3Frames(int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        QByteArray frame(417, '\x11');
        frame[0] = char(0xFF);
        frame[1] = char(0xFB);
        frame[2] = char(0x90);
        frame[3] = char(0x64);
        bytes += frame;
    }
    return bytes;
}

// ADTS frames of 200 bytes.
QByteArray adtsFrames(int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        QByteArray frame(200, '\x22');
        const char header[] = {char(0xFF), char(0xF1),     char(0x50),
                               char(0x80), char(200 >> 3), char((200 & 7) << 5 | 0x1F),
                               char(0xFC)};
        std::copy(std::begin(header), std::end(header), frame.begin());
        bytes += frame;
    }
    return bytes;
}

// The one report of a file, awaited from the test's thread.
class Ended {
public:
    std::function<void(const RecordingFile::Outcome&)> listener() {
        return [this](const RecordingFile::Outcome& outcome) {
            const std::lock_guard lock(mutex_);
            outcome_ = outcome;
            ++reports_;
            done_.notify_all();
        };
    }
    std::optional<RecordingFile::Outcome> wait() {
        std::unique_lock lock(mutex_);
        done_.wait_for(lock, std::chrono::seconds(20), [this] { return reports_ > 0; });
        return outcome_;
    }
    int reports() {
        const std::lock_guard lock(mutex_);
        return reports_;
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    std::optional<RecordingFile::Outcome> outcome_;
    int reports_ = 0;
};

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(RecordingName, TheFormatIsToldFromTheFirstBytesWhereverTheRecordingBegan) {
    EXPECT_EQ(RecordingName::extensionFor(tsPackets(20)), u"ts"_s);
    EXPECT_EQ(RecordingName::extensionFor(tsPackets(20).mid(77)), u"ts"_s) << "mid-packet";
    EXPECT_EQ(RecordingName::extensionFor(mp3Frames(10)), u"mp3"_s);
    EXPECT_EQ(RecordingName::extensionFor(mp3Frames(10).mid(150)), u"mp3"_s) << "mid-frame";
    QByteArray tagged("ID3\x04\x00\x00\x00\x00\x00\x0A"
                      "0123456789",
                      20);
    EXPECT_EQ(RecordingName::extensionFor(tagged + mp3Frames(4)), u"mp3"_s);
    EXPECT_EQ(RecordingName::extensionFor(tagged + adtsFrames(4)), u"aac"_s) << "HLS's AAC";
    EXPECT_EQ(RecordingName::extensionFor(adtsFrames(10).mid(33)), u"aac"_s);
    EXPECT_EQ(RecordingName::extensionFor(QByteArray(3000, 'x') + "OggS" + QByteArray(500, 0)),
              u"ogg"_s);
    EXPECT_EQ(RecordingName::extensionFor(QByteArray("\0\0\0\x20"
                                                     "ftypisom",
                                                     12)),
              u"mp4"_s);
    EXPECT_EQ(RecordingName::extensionFor(QByteArray("fLaC\0\0\0\x22", 8)), u"flac"_s);
    EXPECT_EQ(RecordingName::extensionFor(QByteArray(20000, '\x5A')), u"bin"_s);
    EXPECT_EQ(RecordingName::extensionFor({}), u"bin"_s);
    // One stray sync word is no MP3.
    EXPECT_EQ(
        RecordingName::extensionFor(QByteArray(100, 0) + "\xFF\xFB\x90\x64" + QByteArray(5000, 0)),
        u"bin"_s);
    EXPECT_TRUE(RecordingName::isVideo(u"ts"_s));
    EXPECT_FALSE(RecordingName::isVideo(u"mp3"_s));
}

TEST(RecordingName, NamesAreSafeOnEveryFileSystemAndNeverCutInsideACharacter) {
    const QDateTime start(QDate(2026, 12, 9), QTime(20, 0));
    EXPECT_EQ(RecordingName::fileName(u"News 24"_s, u"Evening: the news"_s, start, u"ts"_s),
              u"News 24 \u2014 Evening_ the news \u2014 2026-12-09 20.00.ts"_s);
    EXPECT_EQ(RecordingName::fileName(u"Radio"_s, {}, start, u"mp3"_s),
              u"Radio \u2014 2026-12-09 20.00.mp3"_s);
    EXPECT_EQ(RecordingName::fileName(u"../../etc/passwd"_s, u"a/b\\c*?\"<>|\td\ne\u0007"_s, start,
                                      u"ts"_s),
              u"_.._etc_passwd \u2014 a_b_c______ d e_ \u2014 2026-12-09 20.00.ts"_s);
    EXPECT_EQ(RecordingName::fileName(u"  ...  "_s, {}, start, u"ts"_s),
              u"Recording \u2014 2026-12-09 20.00.ts"_s);
    EXPECT_EQ(RecordingName::safePart(u"CON"_s, 100), u"_CON"_s);
    EXPECT_EQ(RecordingName::safePart(u"com1.txt"_s, 100), u"_com1.txt"_s);
    EXPECT_EQ(RecordingName::safePart(u"Console"_s, 100), u"Console"_s);
    EXPECT_EQ(RecordingName::safePart(u"ends with dots... "_s, 100), u"ends with dots"_s);

    // Greek (two bytes a letter), an accent as a mark of its own, and emoji (four bytes).
    const QString channel = QString(u"Ελληνική Τηλεόραση "_s).repeated(4);
    const QString programme = QString(u"e\u0301\U0001F3AC "_s).repeated(60);
    const QString name = RecordingName::fileName(channel, programme, start, u"ts"_s);
    EXPECT_LE(name.toUtf8().size() + 5, RecordingName::MaxNameBytes) << "room for \" (99)\"";
    EXPECT_TRUE(name.startsWith(channel.trimmed())) << "the programme is shortened first";
    EXPECT_TRUE(name.endsWith(u" \u2014 2026-12-09 20.00.ts"_s));
    EXPECT_EQ(QString::fromUtf8(name.toUtf8()), name) << "no half character";
    EXPECT_FALSE(name.contains(u"e \u2014"_s)) << "an accent kept on its letter";
    const QString longChannel =
        RecordingName::fileName(QString(300, u'ö'), programme, start, u"ts"_s);
    EXPECT_LE(longChannel.toUtf8().size() + 5, RecordingName::MaxNameBytes);
    EXPECT_TRUE(longChannel.endsWith(u"\u2014 2026-12-09 20.00.ts"_s));
}

TEST(RecordingName, RecordingsGoToTheDesktopsVideoAndMusicFolders) {
    EXPECT_EQ(RecordingName::folderFor(true, {}),
              QStandardPaths::writableLocation(QStandardPaths::MoviesLocation) + u"/Orvanto"_s);
    EXPECT_EQ(RecordingName::folderFor(false, {}),
              QStandardPaths::writableLocation(QStandardPaths::MusicLocation) + u"/Orvanto"_s);
    EXPECT_EQ(RecordingName::folderFor(false, u"/srv/rec"_s), u"/srv/rec"_s);
}

class RecordingFileTest : public ::testing::Test {
protected:
    RecordingFile::Namer namer(const QString& name = u"News \u2014 2026-12-09 20.00"_s) {
        return [this, name](const QByteArray& first) {
            return dir.path() + u"/sub/"_s + name + u'.' + RecordingName::extensionFor(first);
        };
    }
    QTemporaryDir dir;
    Ended ended;
};

TEST_F(RecordingFileTest, BytesFromTheReadersThreadAreWrittenInOrderToANewFileNeverOverAnOld) {
    ASSERT_TRUE(QDir().mkpath(dir.path() + u"/sub"_s));
    const QString taken = dir.path() + u"/sub/News \u2014 2026-12-09 20.00.ts"_s;
    QFile old(taken);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an earlier recording");
    old.close();

    const QByteArray stream = tsPackets(20000); // 3.6 MiB
    {
        RecordingFile file(namer(), ended.listener());
        std::thread reader([&] {
            for (qsizetype at = 0; at < stream.size(); at += 1000) {
                file.take(stream.constData() + at, qMin<qsizetype>(1000, stream.size() - at));
            }
        });
        reader.join();
        file.finish();
        const auto outcome = ended.wait();
        ASSERT_TRUE(outcome);
        EXPECT_FALSE(outcome->failed) << outcome->reason.toStdString();
        EXPECT_EQ(outcome->bytes, stream.size());
        EXPECT_EQ(outcome->path, dir.path() + u"/sub/News \u2014 2026-12-09 20.00 (2).ts"_s);
        EXPECT_EQ(file.bytesWritten(), stream.size());
    }
    EXPECT_EQ(contents(dir.path() + u"/sub/News \u2014 2026-12-09 20.00 (2).ts"_s), stream);
    EXPECT_EQ(contents(taken), "an earlier recording");
    EXPECT_EQ(ended.reports(), 1);
}

TEST_F(RecordingFileTest, WhatIsQueuedWhenItGoesIsWrittenAndAShortStreamIsKeptWhole) {
    const QByteArray radio = mp3Frames(5); // under the bytes a format is told from
    QString path;
    {
        RecordingFile file(namer(u"Radio"_s), ended.listener());
        file.take(radio.constData(), radio.size());
    } // as on quitting: no finish() first
    const auto outcome = ended.wait();
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->failed);
    EXPECT_EQ(outcome->path, dir.path() + u"/sub/Radio.mp3"_s);
    EXPECT_EQ(contents(outcome->path), radio);
}

TEST_F(RecordingFileTest, NothingReceivedIsAFailureWithNoFile) {
    {
        RecordingFile file(namer(), ended.listener());
        file.finish();
        const auto outcome = ended.wait();
        ASSERT_TRUE(outcome);
        EXPECT_TRUE(outcome->failed);
        EXPECT_EQ(outcome->reason, u"Nothing came to record."_s);
        EXPECT_TRUE(outcome->path.isEmpty());
    }
    EXPECT_FALSE(QDir(dir.path() + u"/sub"_s).exists());
}

TEST_F(RecordingFileTest, AFullDiskStopsItWithAMessage) {
    RecordingFile file(namer(), ended.listener(),
                       [](const QString&) { return ::open("/dev/full", O_WRONLY | O_CLOEXEC); });
    const QByteArray stream = tsPackets(200);
    file.take(stream.constData(), stream.size());
    const auto outcome = ended.wait();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->failed);
    EXPECT_EQ(outcome->reason, u"The disk is full."_s);
    file.take(stream.constData(), stream.size()); // taken no more, and no second report
    file.finish();
}

// The file system's own limit on a file's size, as a disk that fills mid-write: every byte before
// it stays in the file.
TEST_F(RecordingFileTest, AWriteRefusedMidwayKeepsEverythingWrittenBeforeIt) {
    constexpr rlim_t Limit = 1000 * 188 + 100;
    const QByteArray stream = tsPackets(3000);
    std::optional<RecordingFile::Outcome> outcome;
    {
        const FileSizeLimit limit(Limit);
        ASSERT_TRUE(limit.ok());
        RecordingFile file(namer(), ended.listener());
        for (qsizetype at = 0; at < stream.size(); at += 188 * 50) {
            file.take(stream.constData() + at, 188 * 50);
        }
        outcome = ended.wait();
    }
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->failed);
    EXPECT_FALSE(outcome->reason.isEmpty());
    EXPECT_EQ(outcome->bytes, qint64(Limit));
    EXPECT_EQ(contents(outcome->path), stream.left(qsizetype(Limit)));
}

TEST_F(RecordingFileTest, AFileRemovedWhileRecordingStopsIt) {
    RecordingFile file(namer(), ended.listener());
    const QByteArray stream = tsPackets(200);
    file.take(stream.constData(), stream.size());
    // The file exists once its first bytes are written.
    for (int i = 0; i < 2000 && file.bytesWritten() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(QFile::remove(file.path()));
    file.take(stream.constData(), stream.size());
    const auto outcome = ended.wait();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->failed);
    EXPECT_EQ(outcome->reason, u"The recording's file was removed."_s);
}

TEST_F(RecordingFileTest, AFolderThatCannotBeMadeStopsIt) {
    QFile blocker(dir.path() + u"/sub"_s); // a file where the folder would be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RecordingFile file(namer(), ended.listener());
    const QByteArray stream = tsPackets(200);
    file.take(stream.constData(), stream.size());
    const auto outcome = ended.wait();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->failed);
    EXPECT_TRUE(outcome->reason.contains(u"cannot be made"_s)) << outcome->reason.toStdString();
}

// A disk that stalls (here a pipe nobody reads) never holds up the reader: the queue is bounded
// and the recording stops when it overflows.
TEST_F(RecordingFileTest, ADiskThatDoesNotKeepUpStopsItWithoutHoldingUpTheReader) {
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    {
        RecordingFile file(namer(), ended.listener(), [&](const QString&) { return pipe[1]; });
        const QByteArray chunk = tsPackets(1000);
        const qint64 chunks = RecordingFile::MaxQueuedBytes / chunk.size() + 200;
        for (qint64 i = 0; i < chunks; ++i) {
            file.take(chunk.constData(), chunk.size()); // returns at once, whatever the disk
        }
        ::close(pipe[0]); // the stalled write fails now
        const auto outcome = ended.wait();
        ASSERT_TRUE(outcome);
        EXPECT_TRUE(outcome->failed);
    }
    std::signal(SIGPIPE, previous);
}
