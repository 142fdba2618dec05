#include "playback/ArchivePlayback.h"

#include "catalogue/Catalogue.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace orvanto;
using orvanto::test::FakeClock;
using orvanto::test::FakePlayer;
using orvanto::test::ManualTicker;
using orvanto::test::RecordingMessageSink;
using namespace Qt::Literals::StringLiterals;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

Catchup catchup(Catchup::Kind kind, const QString& source = {}, int days = 7) {
    Catchup c;
    c.kind = kind;
    c.source = source;
    c.days = days;
    return c;
}

// A channel with a live address and archives behind some of its addresses, a day's programmes
// on it, and the failover player driven by hand over a fake player.
class ArchivePlaybackTest : public ::testing::Test {
protected:
    ArchivePlaybackTest() {
        player.onOpen = [this](const QString& url) {
            if (url.contains(u"archive"_s) || url.contains(u"utc="_s)) {
                player.setState(archiveState);
            } else if (liveState != 0) {
                player.setState(liveState);
            }
        };
        const qint64 now = clock.now.toSecsSinceEpoch();
        // 18:00 News, 19:00 Film, 21:00 (on now) Late show, one hour each, the film two.
        programmes = {{now - 3 * 3600, now - 2 * 3600, s("News"), {}},
                      {now - 2 * 3600, now, s("Film"), {}},
                      {now, now + 3600, s("Late show"), {}}};
    }

    // Plays until the attempt ends.
    void settle() { ticker.tickUntilStopped(); }

    bool playProgramme(int index, qint64 offset = 0) {
        const bool asked = archive.play(s("Kanali"), programmes, index, offset);
        settle();
        return asked;
    }

    qint64 at(int index) const { return programmes[static_cast<size_t>(index)].start; }

    Catalogue catalogue;
    FakePlayer player;
    ManualTicker ticker;
    RecordingMessageSink messages;
    FakeClock clock{QDateTime(QDate(2026, 12, 9), QTime(21, 0), Qt::UTC)};
    FailoverPlayer failover{catalogue, player, ticker, messages};
    ArchivePlayback archive{catalogue, failover, player, messages, clock};
    std::vector<ArchiveProgramme> programmes;
    int archiveState = PlayState::Playing;
    int liveState = PlayState::Playing;
};

TEST_F(ArchivePlaybackTest, TriesTheAddressesWithAnArchiveInOrderAndShowsNoArchiveAddress) {
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/a"));
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/b"), {}, {},
                           catchup(Catchup::Kind::Shift));
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/c"), {}, {},
                           catchup(Catchup::Kind::Default, s("http://archive.example/c/{utc}.ts")));
    archiveState = PlayState::Ready; // the first archive cannot be opened
    player.onOpen = [this](const QString& url) {
        player.setState(url.startsWith(u"http://archive.example"_s) ? PlayState::Playing
                                                                    : archiveState);
    };
    QStringList labels;
    QObject::connect(&failover, &FailoverPlayer::statusTextChanged,
                     [&labels](const QString& text) { labels << text; });
    ASSERT_TRUE(playProgramme(0));
    const QString utc = QString::number(at(0));
    ASSERT_EQ(player.openedUrls.size(), 2);
    EXPECT_TRUE(player.openedUrls[0].startsWith(u"http://live.example/b?utc="_s + utc));
    EXPECT_EQ(player.openedUrls[1], u"http://archive.example/c/"_s + utc + u".ts"_s);
    EXPECT_TRUE(archive.isActive());
    EXPECT_TRUE(failover.isArchive());
    EXPECT_EQ(archive.programme().title, s("News"));
    EXPECT_TRUE(messages.messages.empty());
    for (const QString& label : labels) {
        EXPECT_FALSE(label.contains(u"example"_s)) << label.toStdString();
    }
}

TEST_F(ArchivePlaybackTest, AnArchiveThatHasNoSuchProgrammeSaysSoNotTheLiveFailure) {
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/a"), {}, {},
                           catchup(Catchup::Kind::Shift));
    archiveState = PlayState::Ready;
    player.refusalOnOpen = [](const QString&) { return 404; };
    playProgramme(1);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, s("Kanali 'Kanali': the archive has no such programme"));

    player.refusalOnOpen = [](const QString&) { return 503; };
    playProgramme(1);
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1].text, s("Kanali 'Kanali': the archive has no such programme"));

    // Refused without an answer (nobody listens): not the archive's verdict on the programme.
    player.refusalOnOpen = nullptr;
    playProgramme(1);
    ASSERT_EQ(messages.messages.size(), 3u);
    EXPECT_EQ(messages.messages[2].text, s("Kanali 'Kanali': the archive does not play"));
    EXPECT_FALSE(archive.isActive());
}

TEST_F(ArchivePlaybackTest, AProgrammeOutsideTheArchiveIsNeverRequested) {
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/a"), {}, {},
                           catchup(Catchup::Kind::Shift, {}, 1));
    catalogue.AddStreamUrl(s("Other"), s("http://live.example/o"));
    const qint64 now = clock.now.toSecsSinceEpoch();
    programmes.insert(programmes.begin(), {now - 2 * 86400, now - 2 * 86400 + 3600, s("Old"), {}});
    EXPECT_FALSE(ArchivePlayback::reaches(catalogue.station(1), at(0), now));
    EXPECT_TRUE(ArchivePlayback::reaches(catalogue.station(1), at(1), now));
    EXPECT_FALSE(ArchivePlayback::reaches(catalogue.station(2), at(1), now));
    EXPECT_FALSE(ArchivePlayback::reaches(catalogue.station(1), now + 60, now)); // not yet begun

    EXPECT_FALSE(playProgramme(0));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.contains(u"does not reach back"_s));
    EXPECT_FALSE(archive.play(s("Other"), programmes, 1));
    EXPECT_TRUE(player.openedUrls.isEmpty());
}

TEST_F(ArchivePlaybackTest, ARefusedTemplateIsNamedWithTheChannelAndNothingIsRequested) {
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/a"), {}, {},
                           catchup(Catchup::Kind::Default, s("http://archive.example/{nonsense}")));
    EXPECT_FALSE(playProgramme(0));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.startsWith(u"Kanali 'Kanali': "_s));
    EXPECT_TRUE(player.openedUrls.isEmpty());
}

TEST_F(ArchivePlaybackTest, TheNextProgrammeFollowsAndAfterTheLastPastOneTheChannelGoesLive) {
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/a"), {}, {},
                           catchup(Catchup::Kind::Shift));
    ASSERT_TRUE(playProgramme(0));
    QSignalSpy changed(&archive, &ArchivePlayback::changed);
    // (The real player says Ready after MediaEnded only when nobody gave it a new address.)
    player.setState(PlayState::MediaEnded);
    settle();
    EXPECT_EQ(archive.programme().title, s("Film"));
    EXPECT_TRUE(player.URL().contains(u"utc="_s + QString::number(at(1))));
    EXPECT_GT(changed.count(), 0);

    // The film ends: the late show is on now, and follows from its start, as a recording would.
    clock.advanceSeconds(60);
    player.setState(PlayState::MediaEnded);
    settle();
    EXPECT_EQ(archive.programme().title, s("Late show"));
    clock.advanceSeconds(3600); // nothing follows the late show yet
    player.setState(PlayState::MediaEnded);
    settle();
    EXPECT_FALSE(archive.isActive());
    EXPECT_EQ(player.URL(), s("http://live.example/a"));
    EXPECT_TRUE(failover.StationPlaying());
    EXPECT_FALSE(failover.isArchive());
}

TEST_F(ArchivePlaybackTest, AnArchiveThatBreaksOffIsAskedAgainFromWhereItWas) {
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/a"), {}, {},
                           catchup(Catchup::Kind::Shift));
    ASSERT_TRUE(playProgramme(1, 600));
    EXPECT_TRUE(player.URL().contains(u"utc="_s + QString::number(at(1) + 600)));
    player.position = 300 * 1000; // five minutes in
    EXPECT_EQ(archive.positionSeconds(), 900);
    player.setState(PlayState::Buffering); // it stalls, then is lost
    player.setState(PlayState::Ready);
    settle();
    EXPECT_TRUE(player.URL().contains(u"utc="_s + QString::number(at(1) + 900)));
    EXPECT_TRUE(archive.isActive());
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ArchivePlaybackTest, ASeekIsALaterStartWhereTheArchiveIsAddressedByStart) {
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/a"), {}, {},
                           catchup(Catchup::Kind::Shift));
    ASSERT_TRUE(playProgramme(1));
    EXPECT_EQ(archive.lengthSeconds(), 7200);
    ASSERT_TRUE(archive.canSeek());
    QSignalSpy sought(&archive, &ArchivePlayback::sought);
    ASSERT_TRUE(archive.seek(1800));
    settle();
    EXPECT_TRUE(player.URL().contains(u"utc="_s + QString::number(at(1) + 1800)));
    EXPECT_EQ(archive.positionSeconds(), 1800);
    ASSERT_EQ(sought.count(), 1);
    EXPECT_EQ(sought[0][0].toLongLong(), 1800);
    EXPECT_TRUE(player.seeks.isEmpty());
    // Beyond its end: to its last second, not past it.
    ASSERT_TRUE(archive.seek(99999));
    settle();
    EXPECT_TRUE(player.URL().contains(u"utc="_s + QString::number(at(1) + 7199)));
}

TEST_F(ArchivePlaybackTest, ASeekGoesIntoTheMediaWhereItCanBeSoughtAndIsRefusedWhereNot) {
    catalogue.AddStreamUrl(
        s("Kanali"), s("http://live.example/a"), {}, {},
        catchup(Catchup::Kind::Default, s("http://archive.example/a/{utc}-{utcend}.ts")));
    ASSERT_TRUE(playProgramme(0));
    const int opened = static_cast<int>(player.openedUrls.size());
    EXPECT_FALSE(archive.canSeek());
    EXPECT_FALSE(archive.seek(60));

    player.seekable = true;
    ASSERT_TRUE(archive.canSeek());
    ASSERT_TRUE(archive.seek(120));
    EXPECT_EQ(player.seeks, QList<qint64>{120000});
    EXPECT_EQ(archive.positionSeconds(), 120);
    EXPECT_EQ(player.openedUrls.size(), opened); // the same media, sought in
}

TEST_F(ArchivePlaybackTest, BackToLiveAndAnotherChannelEndTheArchive) {
    catalogue.AddStreamUrl(s("Kanali"), s("http://live.example/a"), {}, {},
                           catchup(Catchup::Kind::Shift));
    catalogue.AddStreamUrl(s("Other"), s("http://live.example/o"));
    ASSERT_TRUE(playProgramme(0));
    archive.backToLive();
    settle();
    EXPECT_FALSE(archive.isActive());
    EXPECT_EQ(player.URL(), s("http://live.example/a"));
    EXPECT_TRUE(failover.StationPlaying());

    ASSERT_TRUE(playProgramme(0));
    failover.SelectStation(s("Other"), 0);
    settle();
    EXPECT_FALSE(archive.isActive());
    EXPECT_FALSE(archive.canSeek());
    EXPECT_EQ(archive.positionSeconds(), 0);
    // A live stream that ends is restarted as always, not taken for an archive's end.
    player.openedUrls.clear();
    player.setState(PlayState::MediaEnded);
    settle();
    EXPECT_EQ(player.openedUrls.first(), s("http://live.example/o"));
}

} // namespace
