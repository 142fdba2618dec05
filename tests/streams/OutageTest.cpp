// Short outages of real servers: a radio whose source goes away for a few seconds, and a
// one-client server that ends and starts again on the same port.
#include "LabChannel.h"
#include "support/LabServers.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr int AcceptMs = 40000;
// Away for a few seconds: a long outage (the player gives a stream up after ten silent
// seconds, and a source that comes back takes another second or two, more on a loaded machine,
// before its listeners hear it: about eight silent seconds in all), and a short one.
constexpr int LongAwayMs = 6000;
constexpr int ShortAwayMs = 2000;

// After the outage the stream goes on: data comes again, and the station was never given up.
void expectBridged(LabChannel& channel) {
    const qint64 before = channel.player().receivedPackets();
    EXPECT_TRUE(
        waitFor([&] { return channel.player().receivedPackets() > before + 20; }, AcceptMs));
    QTest::qWait(3000);
    EXPECT_TRUE(channel.keptPlaying()) << channel.describe();
}

TEST(Outage, RadioWhoseSourceIsAwayForSecondsGoesOnWithoutAFailureBox) {
    LabServers lab;
    ASSERT_TRUE(lab.startIcecast()) << lab.error().toStdString();
    LabChannel radio(u"Radio"_s, {lab.icecast(u"/radio.mp3"_s).toString()});
    radio.select();
    ASSERT_TRUE(waitFor([&] { return radio.accepted > 0; }, AcceptMs)) << radio.describe();
    QTest::qWait(2000);
    // Icecast drops its listeners when the source goes, and answers 404 until it is back.
    lab.stopIcecastSource(u"/radio.mp3"_s);
    QTest::qWait(LongAwayMs);
    ASSERT_TRUE(lab.startIcecastSource(u"/radio.mp3"_s)) << lab.error().toStdString();
    expectBridged(radio);
}

TEST(Outage, OneClientServerThatStartsAgainIsBridged) {
    LabServers lab;
    const QUrl listen = lab.startListenTs();
    ASSERT_FALSE(listen.isEmpty()) << lab.error().toStdString();
    LabChannel tv(u"TV"_s, {listen.toString()});
    tv.select();
    ASSERT_TRUE(waitFor([&] { return tv.accepted > 0; }, AcceptMs)) << tv.describe();
    QTest::qWait(2000);
    // Nobody listens on the port for a few seconds.
    lab.stopListenTs(listen);
    QTest::qWait(ShortAwayMs);
    ASSERT_FALSE(lab.startListenTs(quint16(listen.port())).isEmpty()) << lab.error().toStdString();
    expectBridged(tv);
}

} // namespace
