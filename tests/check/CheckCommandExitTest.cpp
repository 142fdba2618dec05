// The built program's --check as a command: its exit status, its time, its interruption and
// the lists it refuses.
#include "catalogue/M3uParser.h"
#include "check/CheckCommandFixture.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>
#include <csignal>
#include <unistd.h>

using namespace orvanto;
using namespace orvanto::test;

namespace {

// The time the report gives covers the whole run, the writing of the report included: a long
// list's report leaves hardly more time outside the reported seconds than a short one's.
TEST_F(CheckCommandTest, TheTimeTakenCoversTheWholeRun) {
    auto timeOutside = [&](int addresses) {
        QByteArray text = "#EXTM3U\n";
        const QByteArray refused = TestHttpServer::refusedUrl().toEncoded();
        for (int i = 0; i < addresses; ++i) {
            text += "#EXTINF:-1 group-title=\"Test\",Station " + QByteArray::number(i / 3) + "\n" +
                    refused + "/" + QByteArray::number(i) + "\n";
        }
        const QString list = file(u"list%1.m3u"_s.arg(addresses));
        QFile out(list);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
        out.close();
        QElapsedTimer wall;
        wall.start();
        const Outcome outcome = run({list, u"--jobs"_s, u"64"_s, u"--quiet"_s, u"--json"_s,
                                     file(u"r.json"_s), u"--write-m3u"_s, file(u"w.m3u"_s)});
        const qint64 wallMs = wall.elapsed();
        EXPECT_EQ(outcome.status, 1) << outcome.err.toStdString();
        const double seconds = readJson(file(u"r.json"_s))[u"seconds"_s].toDouble();
        return std::pair{wallMs, wallMs - qint64(seconds * 1000)};
    };
    const qint64 shortList = timeOutside(1).second;
    const auto [longWall, longList] = timeOutside(60000);
    // Starting the program lies outside either way, and the disk's last write of the report;
    // both grow on a busy machine.
    EXPECT_LT(longList - shortList, 150 + longWall / 25)
        << "outside the time taken: " << shortList << " ms, " << longList << " ms";
}

TEST_F(CheckCommandTest, AllPlayingExitsZeroAndDropDeadKeepsOnlyThem) {
    const QString list = writeList({{u"A"_s, TestHttpServer::refusedUrl().toString()},
                                    {u"A"_s, url(u"/live.wav"_s)},
                                    {u"B"_s, url(u"/other.wav"_s)}});
    const Outcome outcome =
        run({list, u"--quiet"_s, u"--drop-dead"_s, u"--write-m3u"_s, file(u"w.m3u"_s)});
    EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.isEmpty()) << outcome.err.toStdString(); // --quiet
    QFile written(file(u"w.m3u"_s));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const M3uResult back = parseM3u(QString::fromUtf8(written.readAll()));
    ASSERT_EQ(back.entries.size(), 2u);
    EXPECT_EQ(back.entries[0].address, url(u"/live.wav"_s));
    EXPECT_EQ(back.entries[1].name, u"B"_s);
}

TEST_F(CheckCommandTest, UnreadableListsAreUsageErrors) {
    const Outcome missing = run({file(u"nothing.m3u"_s)});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains(u"nothing.m3u"_s)) << missing.err.toStdString();
    const Outcome page = run({url(u"/page"_s)});
    EXPECT_EQ(page.status, 2);
    EXPECT_TRUE(page.err.startsWith(u"orvanto-tv: cannot read"_s)) << page.err.toStdString();
    const Outcome notFound = run({url(u"/missing"_s)});
    EXPECT_EQ(notFound.status, 2);
}

TEST_F(CheckCommandTest, InterruptStopsAtOnceAndWritesNothing) {
    QList<std::pair<QString, QString>> entries{{u"Radio"_s, url(u"/live.wav"_s)}};
    for (int i = 0; i < 40; ++i) {
        entries.append({u"Silent %1"_s.arg(i), url(u"/silent"_s)});
    }
    const QString list = writeList(entries);
    launch({list, u"--jobs"_s, u"4"_s, u"--timeout"_s, u"60"_s, u"--json"_s, file(u"r.json"_s),
            u"--write-m3u"_s, file(u"w.m3u"_s)});
    // Four silent addresses under way: the radio has been found playing and its job went on.
    QDeadlineTimer ready(20000);
    while (server.requests(u"/silent"_s) < 4 && !ready.hasExpired()) {
        QTest::qWait(20);
    }
    ASSERT_GE(server.requests(u"/silent"_s), 4);
    ::kill(pid_t(process.processId()), SIGINT);
    QElapsedTimer timer;
    timer.start();
    const Outcome outcome = finish(10000);
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(outcome.status, 130);
    EXPECT_TRUE(outcome.out.contains(u"Radio: 1 of 1 play"_s)) << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains(u"Interrupted: "_s));
    EXPECT_FALSE(QFile::exists(file(u"r.json"_s)));
    EXPECT_FALSE(QFile::exists(file(u"w.m3u"_s)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"list.m3u"_s});
}

} // namespace
