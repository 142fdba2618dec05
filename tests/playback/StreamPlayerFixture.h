#pragma once

#include "playback/PlayState.h"
#include "playback/StreamPlayer.h"
#include "support/FakeEngine.h"
#include "support/FakeSniffer.h"
#include "support/FakeSteadyClock.h"
#include "support/ManualTicker.h"

#include <gtest/gtest.h>
#include <vector>

namespace orvanto::test {

using Event = PlayerEngine::Event;
using Kind = Sniffer::Result::Kind;

// The player's rules over a fake engine and sniffer, on a manual tick and clock.
class StreamPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&player, &StreamPlayer::playStateChanged,
                         [this](int state) { states.push_back(state); });
        QObject::connect(&player, &StreamPlayer::playbackOver, [this] { ++overs; });
        player.attach(engine, sniffer);
    }

    // One second passes: the clock moves, then the watchdog ticks.
    void seconds(int n) {
        for (int i = 0; i < n; ++i) {
            clock.advance(1000);
            ticker.tick();
        }
    }
    // One second with `bytes` more data read.
    void secondsWithData(int n, quint32 bytes = 10000) {
        for (int i = 0; i < n; ++i) {
            engine.counters.readBytes += bytes;
            seconds(1);
        }
    }
    // The engine opens the current media and decodes it.
    void enginePlays() {
        engine.report(Event::Playing);
        engine.report(Event::TimeChanged, 100);
    }
    // A stream address that the sniffer hands to the engine, playing.
    void playStream(const QString& url = QStringLiteral("http://radio.example/live")) {
        player.setURL(url);
        ASSERT_TRUE(sniffer.decide(Kind::Stream));
        enginePlays();
        ASSERT_EQ(player.playState(), PlayState::Playing);
        states.clear();
    }

    FakeEngine engine;
    FakeSniffer sniffer;
    ManualTicker ticker;
    FakeSteadyClock clock;
    StreamPlayer player{ticker, clock};
    std::vector<int> states;
    int overs = 0;
};

} // namespace orvanto::test
