#include "PlayerFixture.h"
#include "catalogue/Catalogue.h"
#include "core/QtTicker.h"
#include "net/PlaylistLoader.h"
#include "playback/FailoverPlayer.h"
#include "playback/VlcPlayer.h"
#include "support/FastClock.h"
#include "support/RecordingMessageSink.h"

#include <QSignalSpy>

using namespace orvanto;
using namespace orvanto::test;

namespace {

// The failover player with the real player, on seconds ten times shorter: the failover's tick,
// the player's watchdog tick and the clock it measures silence with alike. The rules and limits
// are the product's own.
class FailoverVlcTest : public PlayerFixture {
protected:
    static constexpr int Speed = 10;
    static constexpr int TickMs = 1000 / Speed;

    void SetUp() override {
        PlayerFixture::SetUp();
        // Away, after two seconds, until the test brings it back.
        server.route(QStringLiteral("/shaky"), away(TestHttpServer::wav(2000, true), 600000));
        attachEngine(player);
        failover = std::make_unique<FailoverPlayer>(catalogue, player, ticker, messages);
        QObject::connect(failover.get(), &FailoverPlayer::statusTextChanged,
                         [this](const QString& text) { texts << text; });
    }

    void TearDown() override { failover.reset(); }

    void addStation(const char* name, std::initializer_list<QString> urls) {
        for (const QString& address : urls) {
            catalogue.AddStreamUrl(QString::fromLatin1(name), address);
        }
    }

    Catalogue catalogue;
    QtTicker watchdog{TickMs};
    FastClock clock{Speed};
    VlcPlayer player{watchdog, clock};
    QtTicker ticker{TickMs};
    RecordingMessageSink messages;
    std::unique_ptr<FailoverPlayer> failover;
    QStringList texts;
};

} // namespace

TEST_F(FailoverVlcTest, DeadAddressesAreSkippedAndTheLiveStreamIsAccepted) {
    addStation("Radio", {TestHttpServer::refusedUrl().toString(), url("/html"), url("/live")});
    QSignalSpy accepted(failover.get(), &FailoverPlayer::stationAccepted);
    failover->SelectStation(QStringLiteral("Radio"), 0);
    ASSERT_TRUE(waitFor([&] { return failover->StationPlaying(); }, 3 * OpenMs));
    EXPECT_EQ(failover->CurrentUrlIndex(), 2);
    EXPECT_EQ(failover->CurrentStation()->Name, QStringLiteral("Radio"));
    // On the live stream: on seconds ten times shorter, a slow moment of a loaded machine
    // (a sanitizer build) can already read as Buffering, which the failover keeps.
    const int state = player.playState();
    EXPECT_TRUE(state == PlayState::Playing || state == PlayState::Buffering) << state;
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FailoverVlcTest, ServerThatNeverAnswersIsGivenUpAfterTheTickLimit) {
    addStation("Mute", {url("/silent")});
    failover->SelectStation(QStringLiteral("Mute"), 0);
    ASSERT_TRUE(waitFor([&] { return !messages.messages.empty(); }, LostMs));
    EXPECT_EQ(messages.messages[0].title, QStringLiteral("Lathos"));
    EXPECT_EQ(messages.messages[0].text, QStringLiteral("Kanali 'Mute' Distixos den litourgoi"));
    EXPECT_FALSE(failover->StationPlaying());
    // The last progress text counted the address's 25 ticks.
    QStringList progress;
    for (const QString& text : texts) {
        if (text.startsWith(url("/silent"))) {
            progress << text;
        }
    }
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_TRUE(progress.last().endsWith(QStringLiteral(" 25"))) << progress.last().toStdString();
}

// A stream that breaks off and stays away longer than the player bridges: the station is
// restarted, and plays again once its server is back (during the restart's attempt).
TEST_F(FailoverVlcTest, StreamThatBreaksOffIsRestarted) {
    addStation("Shaky", {url("/shaky")});
    QSignalSpy accepted(failover.get(), &FailoverPlayer::stationAccepted);
    failover->SelectStation(QStringLiteral("Shaky"), 0);
    ASSERT_TRUE(waitFor([&] { return accepted.count() >= 1; }, 3 * OpenMs));
    ASSERT_TRUE(waitFor([&] { return texts.contains(QStringLiteral("abbruch")); }, LostMs));
    server.endAway(QStringLiteral("/shaky"));
    ASSERT_TRUE(waitFor([&] { return accepted.count() >= 2; }, 3 * OpenMs));
    EXPECT_TRUE(messages.messages.empty());
}

// The user's own channel list, served from this machine: the channel's first entry is dead,
// its second a live stream that breaks off after two seconds and is away for a while.
TEST_F(FailoverVlcTest, ChannelOfAServedPlaylistFailsOverToItsSecondEntryAndRestarts) {
    const QByteArray dead = TestHttpServer::refusedUrl().toEncoded();
    server.route(QStringLiteral("/channels.m3u"),
                 TestHttpServer::body("audio/x-mpegurl",
                                      "#EXTM3U\n"
                                      "#EXTINF:-1 tvg-name=\"shaky\" group-title=\"News, Local\","
                                      "Shaky\n" +
                                          dead +
                                          "\n"
                                          "#EXTINF:-1,Shaky\n"
                                          "shaky\n"));
    PlaylistLoader loader;
    QSignalSpy loaded(&loader, &PlaylistLoader::finished);
    loader.load(url("/channels.m3u"), catalogue);
    ASSERT_TRUE(waitFor([&] { return loaded.count() == 1; }, OpenMs));
    ASSERT_TRUE(loaded.at(0).at(0).value<PlaylistReport>().accepted);
    ASSERT_EQ(catalogue.StationCount(), 1);
    EXPECT_EQ(catalogue.station(1).StreamUrls[1], url("/shaky"));

    QSignalSpy accepted(failover.get(), &FailoverPlayer::stationAccepted);
    failover->SelectStation(QStringLiteral("Shaky"), 0);
    ASSERT_TRUE(waitFor([&] { return accepted.count() >= 1; }, 3 * OpenMs));
    EXPECT_EQ(failover->CurrentUrlIndex(), 1);
    ASSERT_TRUE(waitFor([&] { return texts.contains(QStringLiteral("abbruch")); }, LostMs));
    server.endAway(QStringLiteral("/shaky"));
    ASSERT_TRUE(waitFor([&] { return accepted.count() >= 2; }, 3 * OpenMs));
    EXPECT_TRUE(messages.messages.empty());
}
