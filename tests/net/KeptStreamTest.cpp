// What a paused live stream keeps: in order, bounded by time and bytes, moved within on packets,
// and what a full disk leaves; and the connection handing its socket over to the keeping without
// a byte lost or doubled.
#include "net/KeptStream.h"

#include "core/SteadyClock.h"
#include "net/ByteTap.h"
#include "net/StreamConnection.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace orvanto;
using orvanto::test::FileSizeLimit;
using namespace Qt::Literals::StringLiterals;

namespace {

// Read from the keeping thread while the test moves it.
class TestClock final : public SteadyClock {
public:
    qint64 nowMs() const override { return now.load(); }
    void advance(qint64 ms) { now += ms; }
    std::atomic<qint64> now{1000};
};

// Bytes that tell where in the stream they are.
QByteArray numbered(qint64 from, qint64 size) {
    QByteArray bytes(qsizetype(size), 0);
    for (qint64 i = 0; i < size; ++i) {
        bytes[qsizetype(i)] = char((from + i) % 251);
    }
    return bytes;
}

QByteArray packets(int count, int first = 0) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += char(0x47);
        bytes += QByteArray(187, char((first + i) % 100));
    }
    return bytes;
}

QByteArray readSome(KeptStream& kept, qint64 max) {
    QByteArray bytes(qsizetype(max), 0);
    const qint64 n = kept.read(bytes.data(), max);
    bytes.truncate(qsizetype(std::max<qint64>(0, n)));
    return bytes;
}

class KeptStreamTest : public testing::Test {
protected:
    QString folder() const { return dir.filePath(u"paused"_s); }
    QTemporaryDir dir;
    TestClock clock;
};

TEST_F(KeptStreamTest, WhatArrivedIsReadInOrderAndTheReaderWaitsAtTheLiveEnd) {
    KeptStream kept(folder(), {.maxMs = 60000, .maxBytes = 1 << 20, .chunkBytes = 1000}, clock);
    kept.begin(5000);
    ASSERT_TRUE(kept.append(numbered(5000, 2500).constData(), 2500)); // across chunks
    EXPECT_EQ(readSome(kept, 4000), numbered(5000, 2500));
    EXPECT_TRUE(QDir(folder()).entryList(QDir::Files).isEmpty())
        << "the files are unlinked as they are made";

    auto waiting = std::async(std::launch::async, [&] { return readSome(kept, 100); });
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    ASSERT_TRUE(kept.append(numbered(7500, 10).constData(), 10));
    EXPECT_EQ(waiting.get(), numbered(7500, 10));

    EXPECT_TRUE(kept.seek(6000));
    EXPECT_EQ(readSome(kept, 10), numbered(6000, 10));
    EXPECT_FALSE(kept.seek(4999)) << "before what is kept";
    EXPECT_FALSE(kept.seek(7511)) << "past what arrived";
    kept.seek(7510);
    kept.end(false);
    EXPECT_EQ(kept.read(nullptr, 0), 0) << "the stream's end";

    KeptStream broken(folder(), {}, clock);
    broken.begin(0);
    ASSERT_TRUE(broken.append("abc", 3));
    broken.end(true);
    EXPECT_EQ(readSome(broken, 10), "abc"_ba) << "what came before the break is read first";
    char byte = 0;
    EXPECT_EQ(broken.read(&byte, 1), -1);

    KeptStream stopped(folder(), {}, clock);
    stopped.begin(0);
    auto interrupted = std::async(std::launch::async, [&] {
        char b = 0;
        return stopped.read(&b, 1);
    });
    stopped.interrupt();
    EXPECT_EQ(interrupted.get(), -1);
}

TEST_F(KeptStreamTest, KeepsNoLongerThanItsTimeNorMoreThanItsBytes) {
    KeptStream kept(folder(), {.maxMs = 10000, .maxBytes = 1 << 20, .chunkBytes = 1000}, clock);
    kept.begin(0);
    for (int second = 0; second < 60; ++second) {
        ASSERT_TRUE(kept.append(numbered(second * 500, 500).constData(), 500));
        clock.advance(1000);
    }
    // A minute at 500 bytes a second: ten seconds and the chunk that reaches past them.
    EXPECT_LE(kept.keptMs(), 13000);
    EXPECT_GE(kept.keptMs(), 10000);
    EXPECT_LE(kept.keptBytes(), 7000);
    // The reader, left at the start, goes on at the oldest byte kept.
    EXPECT_EQ(kept.behindMs(), kept.keptMs());
    const qint64 oldest = 30000 - kept.keptBytes();
    EXPECT_EQ(readSome(kept, 100), numbered(oldest, 100));

    KeptStream bounded(folder(), {.maxMs = 3600000, .maxBytes = 5000, .chunkBytes = 1000}, clock);
    bounded.begin(0);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(bounded.append(numbered(i * 500, 500).constData(), 500));
        clock.advance(100);
    }
    EXPECT_LE(bounded.keptBytes(), 5000);
    EXPECT_GE(bounded.keptBytes(), 4000);
}

TEST_F(KeptStreamTest, MovesToWhatArrivedThatLongAgoOnAPacketsStart) {
    KeptStream kept(folder(), {.maxMs = 60000, .maxBytes = 1 << 24, .chunkBytes = 4096}, clock);
    kept.begin(0);
    // 100 packets a second for 20 s, each second's packets marked with the second.
    for (int second = 0; second < 20; ++second) {
        for (int tenth = 0; tenth < 10; ++tenth) {
            ASSERT_TRUE(kept.append(packets(10, second).constData(), 10 * 188));
            clock.advance(100);
        }
    }
    EXPECT_EQ(kept.behindMs(), 20000);
    kept.moveBehind(5000); // what arrived in second 15
    EXPECT_NEAR(double(kept.behindMs()), 5000, 250);
    const QByteArray at = readSome(kept, 188);
    ASSERT_EQ(at.size(), 188);
    EXPECT_EQ(at[0], char(0x47)) << "on a packet's start";
    EXPECT_EQ(int(at[1]), 15);

    kept.moveBehind(0);
    EXPECT_EQ(kept.behindMs(), 0);
    ASSERT_TRUE(kept.append(packets(1, 42).constData(), 188));
    const QByteArray live = readSome(kept, 188);
    ASSERT_EQ(live.size(), 188);
    EXPECT_EQ(int(live[1]), 42) << "live: what arrives next";

    kept.moveBehind(600000); // further back than anything kept: the oldest
    EXPECT_EQ(kept.behindMs(), kept.keptMs());
}

// The engine reads ahead as far as it is let: behind live, it is let have a byte only once the
// byte is as old as the reader is behind, so that it stays where it was put.
TEST_F(KeptStreamTest, AReaderBehindLiveGetsEachByteOnlyOnceItIsThatOld) {
    KeptStream kept(folder(), {.maxMs = 60000, .maxBytes = 1 << 20, .chunkBytes = 4096}, clock);
    kept.begin(0);
    for (int second = 0; second < 10; ++second) {
        ASSERT_TRUE(kept.append(numbered(second * 100, 100).constData(), 100));
        clock.advance(1000);
    }
    kept.moveBehind(4000); // seconds 6 to 9 arrived within the last four seconds
    EXPECT_EQ(readSome(kept, 1000), numbered(600, 100)) << "what is four seconds old";
    auto next = std::async(std::launch::async, [&] { return readSome(kept, 1000); });
    EXPECT_EQ(next.wait_for(std::chrono::milliseconds(150)), std::future_status::timeout)
        << "second 7 is only three seconds old";
    clock.advance(1000);
    EXPECT_EQ(next.get(), numbered(700, 100));

    // Played on after a pause: as far behind as it was when it went on.
    clock.advance(5000);
    kept.holdBehind();
    EXPECT_EQ(kept.behindMs(), 8000);
    EXPECT_EQ(readSome(kept, 1000), numbered(800, 100));
    auto later = std::async(std::launch::async, [&] { return readSome(kept, 1000); });
    EXPECT_EQ(later.wait_for(std::chrono::milliseconds(150)), std::future_status::timeout);
    clock.advance(1000);
    EXPECT_EQ(later.get(), numbered(900, 100));

    kept.moveBehind(0); // live: what arrives is read at once
    ASSERT_TRUE(kept.append(numbered(1000, 5).constData(), 5));
    EXPECT_EQ(readSome(kept, 1000), numbered(1000, 5));
}

TEST_F(KeptStreamTest, AFullDiskStopsKeepingAndWhatWasKeptIsStillRead) {
    KeptStream kept(folder(), {.maxMs = 60000, .maxBytes = 1 << 20, .chunkBytes = 1 << 20}, clock);
    kept.begin(0);
    qint64 appended = 0;
    {
        const FileSizeLimit limit(3000);
        ASSERT_TRUE(limit.ok());
        while (appended < 10000 && kept.append(numbered(appended, 1000).constData(), 1000)) {
            appended += 1000;
        }
    }
    EXPECT_EQ(appended, 3000);
    EXPECT_FALSE(kept.failure().isEmpty());
    EXPECT_FALSE(kept.append("x", 1)) << "no more once it failed";
    EXPECT_EQ(readSome(kept, 10000).left(3000), numbered(0, 3000));
    char byte = 0;
    EXPECT_EQ(kept.read(&byte, 1), -1) << "then the failure";
}

// The tap sees what the pump reads, as it saw what the reader read.
class Collected final : public ByteTap {
public:
    void take(const char* data, qint64 size) override {
        const std::lock_guard lock(mutex);
        bytes.append(data, qsizetype(size));
    }
    std::mutex mutex;
    QByteArray bytes;
};

// A connection on one end of a socket pair, whose other end the test sends on.
class StreamConnectionKeeping : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        server = pair[1];
    }
    int pair[2] = {-1, -1};
    int server = -1;
    TestClock clock;
    QTemporaryDir dir;
    std::shared_ptr<Collected> tap = std::make_shared<Collected>();
};

TEST_F(StreamConnectionKeeping, TheReaderGoesOnFromWhatIsKeptWithoutALostOrDoubledByte) {
    {
        StreamConnection connection(QUrl(u"http://tv.example/live"_s), pair[0], "head"_ba, {},
                                    std::nullopt, std::nullopt, -1, -1);
        connection.setTap(tap);
        QByteArray read;
        auto readAll = [&](qint64 until) {
            while (read.size() < until) {
                char chunk[700];
                const qint64 n = connection.read(chunk, sizeof chunk);
                ASSERT_GT(n, 0);
                read.append(chunk, qsizetype(n));
            }
        };
        const QByteArray first = numbered(4, 3000);
        ASSERT_EQ(::write(server, first.constData(), size_t(first.size())), first.size());
        readAll(3004);
        // A read under way, waiting for the socket, when the keeping starts.
        auto waiting = std::async(std::launch::async, [&] {
            char chunk[100];
            const qint64 n = connection.read(chunk, sizeof chunk);
            return QByteArray(chunk, qsizetype(std::max<qint64>(0, n)));
        });
        EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
        auto kept =
            std::make_shared<KeptStream>(dir.filePath(u"kept"_s), KeptStream::Limits{}, clock);
        connection.keep(kept);
        EXPECT_EQ(connection.kept(), kept);
        const QByteArray second = numbered(3004, 5000);
        ASSERT_EQ(::write(server, second.constData(), size_t(second.size())), second.size());
        read += waiting.get();
        // The reader waits now (a pause) while the rest arrives and is kept.
        const QByteArray third = numbered(8004, 200000);
        std::thread writer([&] {
            ASSERT_EQ(::write(server, third.constData(), size_t(third.size())), third.size());
        });
        writer.join();
        readAll(208004);
        EXPECT_EQ(read, "head"_ba + numbered(4, 208000));
        // The pump ends with the connection: the socket closed, the reader told so.
        ::close(server);
        char byte = 0;
        EXPECT_EQ(connection.read(&byte, 1), 0);
    }
    const std::lock_guard lock(tap->mutex);
    EXPECT_EQ(tap->bytes, "head"_ba + numbered(4, 208000)) << "a recording goes on while paused";
}

// A full disk ends the keeping; the stream is still read, so that the sender (a server of one
// connection, a copy writing into a pipe) never waits on it, and a recording goes on.
TEST_F(StreamConnectionKeeping, AFullDiskEndsTheKeepingButNotTheReading) {
    const QByteArray sent = numbered(0, 4 << 20); // far more than the socket holds
    StreamConnection connection(QUrl(u"http://tv.example/live"_s), pair[0], {}, {}, std::nullopt,
                                std::nullopt, -1, -1);
    connection.setTap(tap);
    {
        const FileSizeLimit limit(3000);
        ASSERT_TRUE(limit.ok());
        connection.keep(
            std::make_shared<KeptStream>(dir.filePath(u"kept"_s), KeptStream::Limits{}, clock));
        auto sending = std::async(std::launch::async, [&] {
            return ::write(server, sent.constData(), size_t(sent.size())) == sent.size();
        });
        const bool done = sending.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        if (!done) {
            ::shutdown(server, SHUT_RDWR); // the sender would wait for ever
        }
        EXPECT_TRUE(done && sending.get()) << "the sender waited on a keeping that had stopped";
    }
    ::close(server);
    EXPECT_FALSE(connection.kept()->failure().isEmpty());
    QByteArray read;
    char chunk[1000];
    qint64 n = 0;
    while ((n = connection.read(chunk, sizeof chunk)) > 0) {
        read.append(chunk, qsizetype(n));
    }
    EXPECT_EQ(n, -1) << "what was kept, then the failure";
    EXPECT_EQ(read, sent.left(read.size()));
    EXPECT_LE(read.size(), 3000);
    // The pump reads on to the end of the stream.
    const auto tapped = [&] {
        const std::lock_guard lock(tap->mutex);
        return tap->bytes.size();
    };
    for (int i = 0; i < 1000 && tapped() < sent.size(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(tapped(), sent.size()) << "the recording got it all";
}

} // namespace
