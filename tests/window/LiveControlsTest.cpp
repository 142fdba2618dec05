// Pausing live TV in the window: what shows while a live channel plays, is paused and played
// on behind live, and what a channel that cannot wait says.
#include "window/LiveControls.h"

#include "catalogue/Catalogue.h"
#include "net/StreamConnection.h"
#include "playback/FailoverPlayer.h"
#include "playback/LivePause.h"
#include "playback/OwnStreamFixture.h"
#include "support/FakePlayer.h"
#include "support/RecordingMessageSink.h"
#include "window/PlayerArea.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

namespace {

class LiveControlsTest : public OwnStreamTest {
protected:
    void SetUp() override {
        OwnStreamTest::SetUp();
        area.show();
    }
    // What the server sends while the engine waits, taken by the keeping.
    void send(const QByteArray& bytes) {
        ASSERT_EQ(::write(server, bytes.constData(), size_t(bytes.size())), bytes.size());
    }

    QTemporaryDir cache;
    LivePause pause{player, clock, {.folder = cache.path(), .limits = {}}};
    RecordingMessageSink messages;
    // The window's bar, around a player the controls do not use.
    Catalogue catalogue;
    FakePlayer shown;
    ManualTicker attempts;
    FailoverPlayer failover{catalogue, shown, attempts, messages};
    PlayerArea area{shown, failover, nullptr};
    LiveControls controls{pause, area, messages};
};

TEST_F(LiveControlsTest, PauseShowsForALiveChannelAndPlayOnStaysBehindLive) {
    QAction* action = controls.pauseAction();
    EXPECT_FALSE(action->isEnabled()) << "nothing plays";
    playOwnStream();
    EXPECT_TRUE(action->isEnabled());
    EXPECT_EQ(action->text(), u"Pause"_s);
    EXPECT_FALSE(controls.slider()->isVisibleTo(&area)) << "nothing kept yet";

    action->trigger();
    EXPECT_TRUE(engine.paused);
    EXPECT_TRUE(action->isChecked());
    EXPECT_EQ(action->text(), u"Play"_s);
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_NE(connection->kept(), nullptr);
    send("0123456789"_ba);
    ASSERT_TRUE(QTest::qWaitFor([&] { return connection->kept()->keptBytes() == 10; }, 5000));
    clock.advance(65000);
    Q_EMIT pause.changed(); // as its refresh would, every half second
    EXPECT_EQ(controls.behindLabel()->text(), u"1:05 behind live"_s);
    EXPECT_TRUE(controls.slider()->isVisibleTo(&area));
    EXPECT_TRUE(controls.liveAction()->isVisible());
    seconds(30);
    EXPECT_EQ(player.playState(), PlayState::Paused) << "a pause is no outage";

    action->trigger(); // Play
    EXPECT_FALSE(engine.paused);
    EXPECT_FALSE(action->isChecked());
    EXPECT_EQ(action->text(), u"Pause"_s);
    EXPECT_EQ(controls.behindLabel()->text(), u"1:35 behind live"_s) << "still behind";

    controls.liveAction()->trigger();
    EXPECT_EQ(engine.rereads, 1) << "what the engine read ahead is dropped";
    EXPECT_EQ(pause.behindMs(), 0);
}

TEST_F(LiveControlsTest, AChannelWithALengthOrAnEngineThatCannotWaitIsNotPaused) {
    engine.pausable = false;
    playOwnStream();
    controls.pauseAction()->trigger();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, u"This channel cannot be paused."_s);
    EXPECT_FALSE(controls.pauseAction()->isChecked());
    EXPECT_EQ(player.playState(), PlayState::Playing);

    connectStream(5000); // an archive's programme, or a file served with its length
    playOwnStream();
    EXPECT_FALSE(pause.canPause());
    EXPECT_FALSE(controls.pauseAction()->isEnabled());
}

TEST(LiveControlsText, BehindLiveInMinutesAndHours) {
    EXPECT_EQ(LiveControls::behindText(0), u"0:00 behind live"_s);
    EXPECT_EQ(LiveControls::behindText(59999), u"0:59 behind live"_s);
    EXPECT_EQ(LiveControls::behindText(3723000), u"1:02:03 behind live"_s);
}

} // namespace
