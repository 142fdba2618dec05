// The window's player against real servers from Debian's packages: nginx serving ffmpeg's
// live HLS, icecast2 fed by ffmpeg, ffmpeg's one-client HTTP server, and a SHOUTcast-style
// server of ours.
#include "LabChannel.h"
#include "LabStreams.h"
#include "support/WaitFor.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <vector>

using namespace orvanto;
using namespace orvanto::test;

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr int AcceptMs = 40000; // five playing ticks, on a loaded machine, under ASan
constexpr int KeepMs = 30000;

// Every kind at once, so that the thirty seconds are spent once: each station is accepted,
// and thirty seconds later it still plays the address it was accepted on, never restarted,
// with the received figure still moving.
TEST(WindowStreams, EveryKindIsAcceptedAndStillPlaysThirtySecondsLater) {
    LabStreams streams;
    ASSERT_TRUE(streams.start()) << streams.error();
    std::vector<std::unique_ptr<LabChannel>> channels;
    for (const auto& [name, address] : streams.kinds()) {
        channels.push_back(std::make_unique<LabChannel>(name, QStringList{address.toString()}));
    }
    // A working HLS first and a working radio second: the HLS is the one kept.
    channels.push_back(std::make_unique<LabChannel>(
        u"HLS then MP3"_s, QStringList{streams.lab.hls(u"/hls/live_0.m3u8"_s).toString(),
                                       streams.lab.icecast(u"/radio.mp3"_s).toString()}));

    for (auto& channel : channels) {
        channel->select();
    }
    const bool allAccepted = waitFor(
        [&] {
            return std::all_of(channels.begin(), channels.end(),
                               [](const auto& c) { return c->accepted > 0 || c->failureBoxes(); });
        },
        AcceptMs);
    std::vector<qint64> receivedAtAccept;
    for (auto& channel : channels) {
        SCOPED_TRACE(channel->describe());
        EXPECT_EQ(channel->accepted, 1);
        EXPECT_EQ(channel->failover().CurrentUrlIndex(), 0);
        // The figure the status label showed while the address was tried.
        EXPECT_GT(channel->receivedShown(), 0);
        receivedAtAccept.push_back(channel->player().receivedPackets());
    }
    ASSERT_TRUE(allAccepted);

    QTest::qWait(KeepMs);
    for (size_t i = 0; i < channels.size(); ++i) {
        const LabChannel& channel = *channels[i];
        SCOPED_TRACE(channel.describe());
        EXPECT_TRUE(channel.keptPlaying());
        EXPECT_EQ(channel.failover().CurrentUrlIndex(), 0);
        EXPECT_GT(channels[i]->player().receivedPackets(), receivedAtAccept[i] + 30)
            << "the received figure moves";
    }
}

// A stream with an end is played to its end, which is an end (not a broken stream).
TEST(WindowStreams, HlsThatEndsEndsLikeAFile) {
    LabServers lab;
    ASSERT_TRUE(lab.startHls()) << lab.error().toStdString();
    VlcPlayer player;
    player.attach(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
                  std::make_unique<StreamSniffer>());
    std::vector<int> states;
    QObject::connect(&player, &MediaPlayer::playStateChanged,
                     [&](int state) { states.push_back(state); });
    player.setURL(lab.hls(u"/vod/vod.m3u8"_s).toString());
    ASSERT_TRUE(waitFor([&] { return player.playState() == PlayState::Playing; }, AcceptMs));
    ASSERT_TRUE(waitFor([&] { return player.playState() == PlayState::Ready; }, AcceptMs));
    ASSERT_GE(states.size(), 2u);
    EXPECT_EQ(states[states.size() - 2], PlayState::MediaEnded);
}

} // namespace
