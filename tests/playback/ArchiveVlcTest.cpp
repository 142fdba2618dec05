// Past programmes played by the real player from an archive on 127.0.0.1 that answers only the
// exact address each kind of archive makes of the programme (to the second; to the minute for
// an xc portal), with a stream whose title says which start it was asked for, and 404 to
// anything else. The machine's zone is one far from UTC, so that times that leak its zone show.

#include "PlayerFixture.h"
#include "catalogue/Catalogue.h"
#include "core/QtTicker.h"
#include "playback/ArchivePlayback.h"
#include "playback/FailoverPlayer.h"
#include "support/FakeClock.h"
#include "support/FastClock.h"
#include "support/IcyServer.h"
#include "support/RecordingMessageSink.h"
#include "support/TimeZoneOfProcess.h"

#include <QRegularExpression>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

namespace {

using Kind = Catchup::Kind;

// 9 December 2026, in UTC.
qint64 utc(int hour, int minute = 0) {
    return QDateTime(QDate(2026, 12, 9), QTime(hour, minute), Qt::UTC).toSecsSinceEpoch();
}

// The film from 20:00 to 21:30 UTC, asked for at 22:00.
const qint64 Start = utc(20);
const qint64 Stop = utc(21, 30);
const qint64 Now = utc(22);

// What the archive answers: the title "from <unix seconds>" for the start asked of it, where the
// address is exactly what the channel's kind of archive makes; nothing (404) otherwise. Written
// from the forms themselves, not from the code that builds them.
QString archiveTitle(const QByteArray& target) {
    const QString t = QString::fromLatin1(target);
    QRegularExpressionMatch m;
    const auto from = [](qint64 seconds) { return u"from %1"_s.arg(seconds); };
    if (t.startsWith(u"/live/"_s) && !t.contains(u'?')) {
        return u"live"_s; // the channels' live streams
    }
    // shift: the live address with ?utc=START&lutc=NOW.
    m = QRegularExpression(u"^/live/shift\\?utc=(\\d+)&lutc=(\\d+)$"_s).match(t);
    if (m.hasMatch() && m.captured(2).toLongLong() == Now && m.captured(1).toLongLong() >= Start &&
        m.captured(1).toLongLong() < Stop) {
        return from(m.captured(1).toLongLong());
    }
    // flussonic: /NAME/timeshift_abs-START.ts for /NAME/mpegts.
    m = QRegularExpression(u"^/fl/timeshift_abs-(\\d+)\\.ts$"_s).match(t);
    if (m.hasMatch() && m.captured(1).toLongLong() == Start) {
        return from(Start);
    }
    // xc: /timeshift/USER/PASS/MINUTES/Y-m-d:H-M/ID.ext, the minute of the start in UTC.
    if (t == u"/timeshift/me/pw/90/2026-12-09:20-00/7.ts"_s) {
        return from(Start);
    }
    // A template of the list's, with two hours' correction: what the template names.
    if (t == u"/arc/%1-5400.ts"_s.arg(Start + 7200)) {
        return from(Start + 7200);
    }
    // vod: the guide's id of the programme.
    if (t == u"/vod/film%207"_s) {
        return u"from id"_s;
    }
    return {};
}

class ArchiveVlcTest : public PlayerFixture {
protected:
    static constexpr int Speed = 10;
    static constexpr int TickMs = 1000 / Speed;

    void SetUp() override {
        PlayerFixture::SetUp();
        archiveServer.start();
        attachEngine(player);
        const QString base = u"http://127.0.0.1:%1"_s.arg(archiveServer.url().port());
        const auto add = [&](const char* name, const QString& path, Catchup catchup) {
            catchup.days = 7;
            catalogue.AddStreamUrl(QString::fromLatin1(name), base + path, {}, {}, catchup);
        };
        add("Shift", u"/live/shift"_s, kind(Kind::Shift));
        add("Flussonic", u"/fl/mpegts"_s, kind(Kind::Flussonic));
        add("Portal", u"/live/me/pw/7.ts"_s, kind(Kind::Xc));
        Catchup corrected = kind(Kind::Default, base + u"/arc/{utc}-{duration}.ts"_s);
        corrected.correctionSeconds = 7200;
        add("Template", u"/live/template"_s, corrected);
        add("Vod", u"/live/vod"_s, kind(Kind::Vod, base + u"/vod/{catchup-id}"_s));
        // A channel whose first address's archive lacks the programme: its second one has it.
        add("Two", u"/live/two-a"_s, kind(Kind::Default, base + u"/nothing/{utc}"_s));
        add("Two", u"/live/shift"_s, kind(Kind::Shift));
        add("Gone", u"/live/gone"_s, kind(Kind::Default, base + u"/nothing/{utc}"_s));
    }
    void TearDown() override {
        player.stop();
        PlayerFixture::TearDown();
    }

    static Catchup kind(Kind k, const QString& source = {}) {
        Catchup c;
        c.kind = k;
        c.source = source;
        return c;
    }

    // Plays the film from `name`'s archive, `offset` seconds in; true once the stream shows
    // the title its archive answered with.
    ::testing::AssertionResult playsFrom(const char* name, const QString& title,
                                         qint64 offset = 0) {
        if (!archive.play(QString::fromLatin1(name), {{Start, Stop, u"Film"_s, u"film 7"_s}}, 0,
                          offset)) {
            return ::testing::AssertionFailure() << "nothing asked of the archive";
        }
        if (!waitFor([&] { return failover.StationPlaying() && player.nowPlaying() == title; },
                     OpenMs)) {
            return ::testing::AssertionFailure()
                   << "the archive asked for " << archiveServer.targets().join(' ').toStdString()
                   << " played \"" << player.nowPlaying().toStdString() << "\"";
        }
        return ::testing::AssertionSuccess();
    }

    const TimeZoneOfProcess zone{"Pacific/Kiritimati"}; // UTC+14
    IcyServer archiveServer{u"archive"_s, archiveTitle};
    Catalogue catalogue;
    QtTicker watchdog{TickMs};
    FastClock steady{Speed};
    VlcPlayer player{watchdog, steady};
    QtTicker ticker{TickMs};
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    FakeClock clock{QDateTime::fromSecsSinceEpoch(Now, Qt::UTC)};
    ArchivePlayback archive{catalogue, failover, player, messages, clock};
};

TEST_F(ArchiveVlcTest, EachKindAsksForTheExactStartAndPlaysWhatTheArchiveAnswers) {
    EXPECT_TRUE(playsFrom("Shift", u"from %1"_s.arg(Start)));
    EXPECT_TRUE(playsFrom("Flussonic", u"from %1"_s.arg(Start)));
    EXPECT_TRUE(playsFrom("Portal", u"from %1"_s.arg(Start)));
    EXPECT_TRUE(playsFrom("Template", u"from %1"_s.arg(Start + 7200)));
    EXPECT_TRUE(playsFrom("Vod", u"from id"_s));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(archive.isActive());
}

TEST_F(ArchiveVlcTest, ASeekAsksTheArchiveForTheLaterStartAndLiveIsLiveAgain) {
    ASSERT_TRUE(playsFrom("Shift", u"from %1"_s.arg(Start)));
    ASSERT_TRUE(archive.canSeek());
    ASSERT_TRUE(archive.seek(1800));
    ASSERT_TRUE(
        waitFor([&] { return player.nowPlaying() == u"from %1"_s.arg(Start + 1800); }, OpenMs))
        << archiveServer.targets().join(' ').toStdString();
    EXPECT_GE(archive.positionSeconds(), 1800);
    archive.backToLive();
    ASSERT_TRUE(waitFor([&] { return player.nowPlaying() == u"live"_s; }, OpenMs));
    EXPECT_FALSE(archive.isActive());
}

TEST_F(ArchiveVlcTest, TheArchiveIsTriedOnTheChannelsAddressesAndA404SaysNoSuchProgramme) {
    ASSERT_TRUE(playsFrom("Two", u"from %1"_s.arg(Start)));
    EXPECT_EQ(failover.CurrentUrlIndex(), 1);
    EXPECT_TRUE(messages.messages.empty());

    ASSERT_TRUE(archive.play(u"Gone"_s, {{Start, Stop, u"Film"_s, {}}}, 0));
    ASSERT_TRUE(waitFor([&] { return !messages.messages.empty(); }, LostMs));
    EXPECT_EQ(messages.messages[0].text, u"Kanali 'Gone': the archive has no such programme"_s);
    EXPECT_TRUE(archiveServer.targets().contains("/nothing/" + QByteArray::number(Start)));
}

} // namespace
