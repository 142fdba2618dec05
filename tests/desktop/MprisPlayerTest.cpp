// The viewer as the desktop's media controls see it, with no bus: what they show and what they
// do, over a fake player and the real failover player and pages.

#include "desktop/MprisPlayer.h"

#include "catalogue/Catalogue.h"
#include "catalogue/ProgrammeNow.h"
#include "net/StreamConnection.h"
#include "playback/ArchivePlayback.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "playback/Recorder.h"
#include "playback/StreamPlayer.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/FakePlayer.h"
#include "support/FakeSniffer.h"
#include "support/FakeSteadyClock.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "window/StationPages.h"
#include "window/Transport.h"

#include <QHash>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// A guide that knows what is on some channels.
class FakeGuide final : public ProgrammeNow {
public:
    QString titleNow(const Station& station) const override { return on.value(station.Name); }
    void set(const QString& channel, const QString& title) {
        on.insert(channel, title);
        Q_EMIT changed();
    }
    QHash<QString, QString> on;
};

class MprisPlayerTest : public ::testing::Test {
protected:
    MprisPlayerTest() {
        pages.build(
            {[](Catalogue& c) {
                 c.AddStreamUrl(s("One"), s("http://one.example/live"), {},
                                orvanto::StationTags({}, {}, s("http://logos.example/1.png")));
                 c.AddStreamUrl(s("Two"), s("http://two.example/live"), {},
                                orvanto::StationTags({}, {}, s("/usr/share/logos/two.png")));
                 c.AddStreamUrl(s("Three"), s("http://three.example/live"), {},
                                orvanto::StationTags({}, {}, s("javascript:alert(1)")));
                 Catchup shift;
                 shift.kind = Catchup::Kind::Shift;
                 shift.days = 3;
                 c.AddStreamUrl(s("Four"), s("http://four.example/live"), {}, {}, shift);
             },
             [](Catalogue& c) { c.AddStreamUrl(s("ADULT 1"), s("mms://adult.example/1")); }});
        made = std::make_unique<MprisPlayer>(MprisPlayer::Parts{.player = player,
                                                                .failover = failover,
                                                                .transport = transport,
                                                                .catalogue = catalogue,
                                                                .pages = pages,
                                                                .window = window,
                                                                .guide = &guide,
                                                                .archive = &archive,
                                                                .recorder = &recorder});
        QObject::connect(made.get(), &MprisPlayer::changed,
                         [this](const MprisChanges& c) { changes << c.player + c.root; });
    }

    // The failover player accepts `name` (its address plays at once).
    void plays(const QString& name) {
        player.stateOnOpen = PlayState::Playing;
        failover.SelectStation(name, 0);
        ticker.tickUntilStopped();
        ASSERT_TRUE(failover.StationPlaying());
    }
    MprisPlayer& mpris() { return *made; }
    const MprisState::Track& track() const { return made->state().track; }

    Catalogue catalogue;
    StationPages pages{catalogue};
    FakePlayer player;
    ManualTicker ticker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    Transport transport{player, failover};
    QWidget window;
    FakeGuide guide;
    FakeClock clock{QDateTime(QDate(2026, 12, 9), QTime(21, 0), Qt::UTC)};
    ArchivePlayback archive{catalogue, failover, player, messages, clock};
    // What records: the player's rules over a fake engine.
    FakeEngine engine;
    FakeSniffer sniffer;
    ManualTicker watchdog;
    FakeSteadyClock steady;
    StreamPlayer streams{watchdog, steady};
    Recorder recorder{streams};
    std::unique_ptr<MprisPlayer> made; // once the pages are there
    QStringList changes;
};

TEST_F(MprisPlayerTest, StatusFollowsTheAttemptAndThePlayer) {
    EXPECT_EQ(mpris().state().playbackStatus, s("Stopped"));
    EXPECT_EQ(track().id, MprisState::noTrackId());
    EXPECT_TRUE(mpris().state().canPlay) << "the pages have channels to play";
    EXPECT_FALSE(mpris().state().canPause);

    player.stateOnOpen = PlayState::Ready; // an address that does not open
    failover.SelectStation(s("Two"), 0);
    EXPECT_EQ(mpris().state().playbackStatus, s("Playing")) << "while its addresses are tried";
    EXPECT_TRUE(changes.contains(s("PlaybackStatus")));
    EXPECT_TRUE(changes.contains(s("Metadata")));
    EXPECT_TRUE(mpris().state().canPause);
    ticker.tickUntilStopped(); // none plays
    EXPECT_EQ(mpris().state().playbackStatus, s("Stopped"));
    EXPECT_EQ(track().id, MprisState::noTrackId());

    plays(s("One"));
    failover.standDown(); // as the alarm does before it rings
    player.setState(PlayState::Paused);
    EXPECT_EQ(mpris().state().playbackStatus, s("Paused"));
}

TEST_F(MprisPlayerTest, MetadataNamesTheChannelItsTitleOfTheMomentAndItsLogo) {
    plays(s("One"));
    EXPECT_EQ(track().title, s("One"));
    EXPECT_EQ(track().channel, s("One"));
    EXPECT_EQ(track().artUrl, s("http://logos.example/1.png"));
    const QString id = track().id;
    EXPECT_TRUE(id.startsWith(u'/')) << qPrintable(id);

    guide.set(s("One"), s("The News"));
    EXPECT_EQ(track().title, s("The News"));
    changes.clear();
    player.setNowPlaying(s("Artist - Song"));
    EXPECT_EQ(track().title, s("Artist - Song")) << "the stream's own title first";
    EXPECT_EQ(changes, QStringList{s("Metadata")});
    EXPECT_EQ(track().id, id) << "the same channel is the same track";
    player.setNowPlaying(QString());
    EXPECT_EQ(track().title, s("The News"));

    plays(s("Two"));
    EXPECT_NE(track().id, id);
    EXPECT_EQ(track().artUrl, s("file:///usr/share/logos/two.png"));
    plays(s("Three"));
    EXPECT_EQ(track().artUrl, QString()) << "no address the desktop could load";
}

TEST_F(MprisPlayerTest, NextAndPreviousGoRoundThePagesFromTheChannelChosenLast) {
    mpris().next();
    EXPECT_EQ(failover.channel(), s("One")) << "nothing chosen yet: the first";
    mpris().previous();
    EXPECT_EQ(failover.channel(), s("Four")) << "round to the last";
    plays(s("Two"));
    mpris().stop();
    EXPECT_EQ(mpris().state().playbackStatus, s("Stopped"));
    mpris().next();
    EXPECT_EQ(failover.channel(), s("Three")) << "from the stopped channel";
    mpris().next();
    mpris().next();
    EXPECT_EQ(failover.channel(), s("One"));
    // From a locked channel, which the pages do not show: the first.
    plays(s("ADULT 1"));
    mpris().next();
    EXPECT_EQ(failover.channel(), s("One"));
}

TEST_F(MprisPlayerTest, PlayPauseStopsALiveStreamAndPlaysItAgain) {
    mpris().play();
    EXPECT_EQ(failover.channel(), s("One")) << "nothing played yet: the pages' first";
    ticker.tickUntilStopped();
    plays(s("Two"));
    mpris().playPause();
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    EXPECT_EQ(mpris().state().playbackStatus, s("Stopped"));
    player.openedUrls.clear();
    mpris().playPause();
    EXPECT_EQ(player.openedUrls.value(0), s("http://two.example/live")) << "what played last";
    EXPECT_EQ(mpris().state().playbackStatus, s("Playing"));
    mpris().pause();
    EXPECT_EQ(player.playState(), PlayState::Stopped) << "a live stream cannot wait";
}

TEST_F(MprisPlayerTest, VolumeIsAFractionClampedAndShownAsThePlayersPercent) {
    changes.clear();
    mpris().setVolume(0.304);
    EXPECT_EQ(player.volume(), 30);
    EXPECT_DOUBLE_EQ(mpris().state().volume, 0.3);
    EXPECT_EQ(changes, QStringList{s("Volume")});
    mpris().setVolume(7.0);
    EXPECT_EQ(player.volume(), 100);
    mpris().setVolume(-1.0);
    EXPECT_EQ(player.volume(), 0);
    mpris().setVolume(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(player.volume(), 0);
    player.setVolume(55); // the slider, the keys, the alarm
    EXPECT_DOUBLE_EQ(mpris().state().volume, 0.55);
}

TEST_F(MprisPlayerTest, FullScreenRaiseAndQuit) {
    player.canFullScreen = true;
    mpris().setFullscreen(true);
    EXPECT_TRUE(mpris().state().fullscreen);
    EXPECT_TRUE(changes.contains(s("Fullscreen")));
    window.show();
    window.showMinimized();
    mpris().raise();
    EXPECT_FALSE(window.isMinimized());
    mpris().quit();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MprisPlayerTest, ARecordingShowsInTheMetadataWhileItLasts) {
    plays(s("One"));
    EXPECT_FALSE(track().recording);
    streams.attach(engine, sniffer);
    int pair[2] = {-1, -1};
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    Sniffer::Result stream;
    stream.kind = Sniffer::Result::Kind::Stream;
    stream.connection = std::make_shared<StreamConnection>(QUrl(s("http://one.example/live")),
                                                           pair[0], QByteArray(), QByteArray(),
                                                           std::nullopt, std::nullopt, -1, -1);
    streams.setURL(s("http://one.example/live"));
    ASSERT_TRUE(sniffer.decide(stream));
    QTemporaryDir folder;
    changes.clear();
    ASSERT_EQ(recorder.start({.channel = s("One"),
                              .programme = {},
                              .start = clock.currentDateTime(),
                              .folder = folder.path(),
                              .path = {}}),
              QString());
    EXPECT_TRUE(track().recording);
    EXPECT_EQ(changes, QStringList{s("Metadata")});
    recorder.stop();
    EXPECT_FALSE(track().recording);
    ::close(pair[1]);
}

TEST(MprisChanges, NameOnlyWhatDiffers) {
    MprisState before;
    MprisState after = before;
    EXPECT_TRUE(changedProperties(before, after).isEmpty());
    after.track.title = QStringLiteral("x");
    after.canGoNext = true;
    after.fullscreen = true;
    const MprisChanges changes = changedProperties(before, after);
    EXPECT_EQ(changes.player,
              (QStringList{QStringLiteral("Metadata"), QStringLiteral("CanGoNext")}));
    EXPECT_EQ(changes.root, QStringList{QStringLiteral("Fullscreen")});
}

// A programme from a channel's archive is a track of its own, with its title, length and
// position, and the desktop's controls seek in it.
TEST_F(MprisPlayerTest, AnArchivesProgrammeHasItsLengthAndPositionAndIsSoughtIn) {
    plays(s("Four"));
    const QString liveId = track().id;
    EXPECT_EQ(track().lengthUs, 0);
    EXPECT_FALSE(mpris().state().canSeek);
    EXPECT_EQ(mpris().positionUs(), 0);

    const qint64 now = clock.now.toSecsSinceEpoch();
    ASSERT_TRUE(archive.play(s("Four"), {{now - 7200, now - 3600, s("Match"), {}}}, 0));
    ticker.tickUntilStopped();
    ASSERT_TRUE(archive.isActive());
    EXPECT_EQ(track().title, s("Match"));
    EXPECT_EQ(track().channel, s("Four"));
    EXPECT_EQ(track().lengthUs, qint64(3600) * 1000000);
    EXPECT_NE(track().id, liveId);
    EXPECT_TRUE(mpris().state().canSeek);
    EXPECT_TRUE(changes.contains(s("CanSeek")));

    QList<qint64> seeked;
    QObject::connect(made.get(), &MprisPlayer::seeked, [&seeked](qint64 us) { seeked << us; });
    mpris().seek(qint64(600) * 1000000); // ten minutes on
    ticker.tickUntilStopped();
    EXPECT_EQ(mpris().positionUs(), qint64(600) * 1000000);
    EXPECT_TRUE(player.URL().contains(QString::number(now - 7200 + 600)));
    mpris().setPosition(track().id, qint64(1200) * 1000000);
    ticker.tickUntilStopped();
    EXPECT_EQ(mpris().positionUs(), qint64(1200) * 1000000);
    EXPECT_EQ(seeked, (QList<qint64>{qint64(600) * 1000000, qint64(1200) * 1000000}));
    // A position for another track, or past this one's end, is ignored.
    mpris().setPosition(liveId, 0);
    mpris().setPosition(track().id, qint64(9999) * 1000000);
    EXPECT_EQ(seeked.size(), 2);

    archive.backToLive();
    ticker.tickUntilStopped();
    EXPECT_EQ(track().lengthUs, 0);
    EXPECT_FALSE(mpris().state().canSeek);
    EXPECT_EQ(track().title, s("Four"));
}

} // namespace
} // namespace orvanto::test
