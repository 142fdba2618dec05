#include "check/CheckRun.h"

#include "support/FakeProbe.h"
#include "support/FakeSteadyClock.h"
#include "support/ManualTicker.h"

#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;
using Kind = Verdict::Kind;

namespace {

QString a(int n) {
    return QStringLiteral("http://127.0.0.1/%1").arg(n);
}

// Stations of `sizes[i]` addresses each, numbered through.
CheckList listOf(std::initializer_list<int> sizes) {
    CheckList list;
    int n = 0;
    for (int size : sizes) {
        CheckStation station{QStringLiteral("S%1").arg(list.stations.size()), {}};
        for (int i = 0; i < size; ++i) {
            station.addresses.push_back(CheckAddress{.address = a(n++)});
        }
        list.stations.push_back(station);
    }
    return list;
}

struct CheckRunTest : ::testing::Test {
    CheckRunTest() { clock.now = 0; }

    void run(std::initializer_list<int> sizes, int jobs, qint64 timeoutMs = 5000) {
        list = listOf(sizes);
        check = std::make_unique<CheckRun>(list, probes.factory(), ticker, clock,
                                           CheckRun::Options{jobs, timeoutMs});
        check->start([this](size_t s, size_t i) { order << list.stations[s].addresses[i].address; },
                     [this] { ++finished; });
    }

    FakeProbes probes;
    ManualTicker ticker;
    FakeSteadyClock clock;
    CheckList list;
    std::unique_ptr<CheckRun> check;
    QStringList order;
    int finished = 0;
};

TEST_F(CheckRunTest, KeepsJobsBusyInListOrderAndReusesProbes) {
    run({2, 1, 3}, 2);
    EXPECT_EQ(probes.started, (QStringList{a(0), a(1)}));
    // Whichever job comes free takes the next address; no more probes than jobs.
    ASSERT_TRUE(probes.answer(a(1), Kind::Refused));
    EXPECT_EQ(probes.started.last(), a(2));
    ASSERT_TRUE(probes.answer(a(0), Kind::Plays));
    ASSERT_TRUE(probes.answer(a(2), Kind::Plays));
    ASSERT_TRUE(probes.answer(a(3), Kind::NotMedia));
    ASSERT_TRUE(probes.answer(a(4), Kind::Plays));
    EXPECT_EQ(finished, 0);
    ASSERT_TRUE(probes.answer(a(5), Kind::HostNotFound));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(probes.made, 2);
    EXPECT_EQ(probes.started.size(), 6);
    EXPECT_EQ(check->done(), 6);
    EXPECT_EQ(check->playing(), 3);
    EXPECT_EQ(list.stations[0].addresses[1].verdict.kind, Kind::Refused);
    EXPECT_EQ(list.stations[2].addresses[2].verdict.kind, Kind::HostNotFound);
    EXPECT_FALSE(ticker.isRunning());
}

TEST_F(CheckRunTest, MoreJobsThanAddressesAndEmptyStations) {
    run({0, 1, 0}, 64);
    EXPECT_EQ(probes.made, 1);
    ASSERT_TRUE(probes.answer(a(0), Kind::Plays));
    EXPECT_EQ(finished, 1);
}

TEST_F(CheckRunTest, EmptyListFinishesAtOnce) {
    run({}, 8);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(probes.made, 0);
}

TEST_F(CheckRunTest, AddressPastItsLimitTimesOutAndFreesItsJob) {
    run({3}, 2, 5000);
    clock.now = 3000;
    ASSERT_TRUE(probes.answer(a(0), Kind::Refused)); // a(2) starts at 3 s
    clock.now = 4999;
    ticker.tick();
    EXPECT_TRUE(probes.cancelled.isEmpty());
    clock.now = 5000;
    ticker.tick(); // a(1) is due, a(2) is not
    EXPECT_EQ(probes.cancelled, QStringList{a(1)});
    EXPECT_EQ(list.stations[0].addresses[1].verdict.kind, Kind::TimedOut);
    EXPECT_EQ(list.stations[0].addresses[1].verdict.elapsedMs, 5000);
    // A late answer from the cancelled probe counts for nothing.
    EXPECT_FALSE(probes.answer(a(1), Kind::Plays));
    clock.now = 8000;
    ticker.tick();
    EXPECT_EQ(list.stations[0].addresses[2].verdict.kind, Kind::TimedOut);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(check->playing(), 0);
}

TEST_F(CheckRunTest, StopCancelsWhatRunsAndLeavesTheRestUnchecked) {
    run({2, 2}, 2);
    ASSERT_TRUE(probes.answer(a(0), Kind::Plays));
    check->stop();
    probes.cancelled.sort();
    EXPECT_EQ(probes.cancelled, (QStringList{a(1), a(2)}));
    EXPECT_FALSE(ticker.isRunning());
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(list.stations[0].addresses[0].verdict.kind, Kind::Plays);
    EXPECT_EQ(list.stations[1].addresses[0].verdict.kind, Kind::NotChecked);
    EXPECT_EQ(list.stations[1].addresses[1].verdict.kind, Kind::NotChecked);
    EXPECT_EQ(probes.started.size(), 3);
}

TEST_F(CheckRunTest, StopFromAVerdictCallbackEndsTheRun) {
    list = listOf({4});
    check = std::make_unique<CheckRun>(list, probes.factory(), ticker, clock,
                                       CheckRun::Options{1, 5000});
    check->start([this](size_t, size_t) { check->stop(); }, [this] { ++finished; });
    ASSERT_TRUE(probes.answer(a(0), Kind::Plays));
    EXPECT_EQ(probes.started, QStringList{a(0)});
    EXPECT_EQ(finished, 0);
}

TEST_F(CheckRunTest, JobsAreBounded) {
    list = listOf({100});
    check = std::make_unique<CheckRun>(list, probes.factory(), ticker, clock,
                                       CheckRun::Options{1000, 5000});
    check->start(nullptr, nullptr);
    EXPECT_EQ(probes.made, CheckRun::MaxJobs);
}

} // namespace
