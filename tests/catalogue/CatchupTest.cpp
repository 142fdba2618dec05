// How lists say their channels' archives are addressed, and the addresses of past programmes
// made of that.

#include "catalogue/ArchiveAddress.h"
#include "catalogue/Catalogue.h"
#include "catalogue/M3uParser.h"
#include "catalogue/PlaylistRegistration.h"
#include "support/TimeZoneOfProcess.h"

#include <QDateTime>
#include <QTimeZone>
#include <QUrl>
#include <gtest/gtest.h>

namespace orvanto {
namespace {

using namespace Qt::Literals::StringLiterals;
using Kind = Catchup::Kind;

qint64 utc(int day, int hour, int minute = 0, int second = 0) {
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second), Qt::UTC).toSecsSinceEpoch();
}

// The film of 9 December from 20:00 to 21:30 UTC, asked for at 22:00.
ArchiveRequest film(qint64 from = 0) {
    ArchiveRequest request;
    request.start = utc(9, 20);
    request.stop = utc(9, 21, 30);
    request.from = from == 0 ? request.start : from;
    request.now = utc(9, 22);
    request.catchupId = u"ep 7&x=1"_s;
    return request;
}

Catchup kind(Kind k, const QString& source = {}, int days = 7) {
    Catchup c;
    c.kind = k;
    c.source = source;
    c.days = days;
    return c;
}

QString address(const QString& live, const Catchup& catchup, const ArchiveRequest& r = film()) {
    const ArchiveAddress made = archiveAddress(live, catchup, r);
    EXPECT_TRUE(made.problem.isEmpty()) << qPrintable(made.problem);
    return made.url;
}

QString refusal(const QString& live, const Catchup& catchup, const ArchiveRequest& r = film()) {
    const ArchiveAddress made = archiveAddress(live, catchup, r);
    EXPECT_TRUE(made.url.isEmpty()) << qPrintable(made.url);
    return made.problem;
}

// The M3U reader's catch-up of each entry, and its problems.
struct Read {
    std::vector<M3uEntry> entries;
    QStringList problems;
};
Read read(const QString& text) {
    M3uResult result = parseM3u(text);
    return {std::move(result.entries), result.problems};
}

TEST(ArchiveAddressTest, EachKindMakesItsOwnForm) {
    const QString utcStart = QString::number(utc(9, 20));
    const QString now = QString::number(utc(9, 22));
    // default: the template is the whole address; a tail is appended to the channel's.
    EXPECT_EQ(address(u"http://tv.example/ch"_s,
                      kind(Kind::Default, u"http://arc.example/ch/{utc}-{utcend}.ts"_s)),
              u"http://arc.example/ch/"_s + utcStart + u"-"_s + QString::number(utc(9, 21, 30)) +
                  u".ts"_s);
    EXPECT_EQ(address(u"http://tv.example/ch"_s, kind(Kind::Default, u"?archive=${start}"_s)),
              u"http://tv.example/ch?archive="_s + utcStart);
    EXPECT_EQ(
        address(u"http://tv.example/ch.m3u8"_s, kind(Kind::Append, u"?begin={utc}&end={utcend}"_s)),
        u"http://tv.example/ch.m3u8?begin="_s + utcStart + u"&end="_s +
            QString::number(utc(9, 21, 30)));
    // shift: ?utc&lutc, or &utc&lutc behind a query of its own.
    EXPECT_EQ(address(u"http://tv.example/ch"_s, kind(Kind::Shift)),
              u"http://tv.example/ch?utc="_s + utcStart + u"&lutc="_s + now);
    EXPECT_EQ(address(u"http://tv.example/ch?token=a"_s, kind(Kind::Shift)),
              u"http://tv.example/ch?token=a&utc="_s + utcStart + u"&lutc="_s + now);
    // flussonic: the stream's name kept, its form made the archive's, the query kept.
    EXPECT_EQ(address(u"http://fl.example:8080/151/mpegts?token=t"_s, kind(Kind::Flussonic)),
              u"http://fl.example:8080/151/timeshift_abs-"_s + utcStart + u".ts?token=t"_s);
    EXPECT_EQ(address(u"http://fl.example/325/index.m3u8?token=s"_s, kind(Kind::Flussonic)),
              u"http://fl.example/325/timeshift_rel-7200.m3u8?token=s"_s);
    EXPECT_EQ(address(u"http://fl.example/325/mono.m3u8"_s, kind(Kind::Flussonic)),
              u"http://fl.example/325/mono-timeshift_rel-7200.m3u8"_s);
    EXPECT_FALSE(refusal(u"http://fl.example/325/live"_s, kind(Kind::Flussonic)).isEmpty());
    // xc: the portal's /timeshift/ address, minutes and the start's date and time.
    EXPECT_EQ(address(u"http://portal.example:8080/live/me/secret/42.ts"_s, kind(Kind::Xc)),
              u"http://portal.example:8080/timeshift/me/secret/90/2026-12-09:20-00/42.ts"_s);
    EXPECT_EQ(address(u"http://portal.example/me/secret/42"_s, kind(Kind::Xc)),
              u"http://portal.example/timeshift/me/secret/90/2026-12-09:20-00/42.ts"_s);
    EXPECT_FALSE(refusal(u"http://portal.example/42.ts"_s, kind(Kind::Xc)).isEmpty());
    // vod: the guide's id for the programme, encoded so that it adds no parameter.
    EXPECT_EQ(address(u"http://tv.example/ch"_s,
                      kind(Kind::Vod, u"http://vod.example/play?id={catchup-id}"_s)),
              u"http://vod.example/play?id=ep%207%26x%3D1"_s);
    ArchiveRequest noId = film();
    noId.catchupId.clear();
    EXPECT_TRUE(refusal(u"http://tv.example/ch"_s, kind(Kind::Vod, u"{catchup-id}"_s), noId)
                    .contains(u"catch-up id"_s));
    // A guide whose ids are whole addresses: the id is the address.
    ArchiveRequest whole = film();
    whole.catchupId = u"http://vod.example/film.mp4"_s;
    EXPECT_EQ(address(u"http://tv.example/ch"_s, kind(Kind::Vod, u"{catchup-id}"_s), whole),
              u"http://vod.example/film.mp4"_s);
}

TEST(ArchiveAddressTest, SeeksAreALaterStartWhereTheKindAddressesByStart) {
    const ArchiveRequest later = film(utc(9, 20, 45));
    const ArchiveAddress shift =
        archiveAddress(u"http://tv.example/ch"_s, kind(Kind::Shift), later);
    EXPECT_TRUE(shift.seeksByAddress);
    EXPECT_TRUE(shift.url.contains(u"utc="_s + QString::number(utc(9, 20, 45))));
    const ArchiveAddress fl =
        archiveAddress(u"http://fl.example/325/index.m3u8"_s, kind(Kind::Flussonic), later);
    EXPECT_TRUE(fl.seeksByAddress);
    EXPECT_EQ(fl.url, u"http://fl.example/325/timeshift_rel-4500.m3u8"_s);
    // The duration is what is left from the later start.
    EXPECT_EQ(address(u"http://tv.example/ch"_s,
                      kind(Kind::Default, u"http://a.example/{duration}/{duration:60}"_s), later),
              u"http://a.example/2700/45"_s);
    EXPECT_FALSE(archiveAddress(u"http://tv.example/ch"_s,
                                kind(Kind::Default, u"http://a.example/{utc}"_s), later)
                     .seeksByAddress);
}

TEST(ArchiveAddressTest, PlaceholdersInBothNotationsFormatsAndTheCorrection) {
    const QString start = QString::number(utc(9, 20));
    EXPECT_EQ(address(u"http://tv.example/ch"_s,
                      kind(Kind::Default, u"http://a.example/${start}/${end}/${now}/"
                                          u"${timestamp}/{lutc}"_s)),
              u"http://a.example/"_s + start + u"/"_s + QString::number(utc(9, 21, 30)) + u"/"_s +
                  QString::number(utc(9, 22)) + u"/"_s + QString::number(utc(9, 22)) + u"/"_s +
                  QString::number(utc(9, 22)));
    EXPECT_EQ(address(u"http://tv.example/ch"_s,
                      kind(Kind::Default,
                           u"http://a.example/{Y}/{m}/{d}/{H}{M}{S}/{utc:YmdHMS}/{utcend:H-M}"_s)),
              u"http://a.example/2026/12/09/200000/20261209200000/21-30"_s);
    // Hours added to every time; the duration and the offset stay.
    Catchup corrected =
        kind(Kind::Default, u"http://a.example/{utc}/{H}{M}/{duration}/{offset:1}"_s);
    corrected.correctionSeconds = -5400; // -1.5 h
    EXPECT_EQ(address(u"http://tv.example/ch"_s, corrected),
              u"http://a.example/"_s + QString::number(utc(9, 18, 30)) + u"/1830/5400/7200"_s);
    // A format's own characters are encoded as they go in.
    EXPECT_EQ(address(u"http://tv.example/ch"_s,
                      kind(Kind::Default, u"http://a.example/?t={utc:Y-m-d H:M}"_s)),
              u"http://a.example/?t=2026-12-09%2020%3A00"_s);
}

// The dates of an xc archive are in its portal's zone, whatever this machine's is.
TEST(ArchiveAddressTest, TheDatesDoNotDependOnThisMachinesZone) {
    const test::TimeZoneOfProcess far("Pacific/Kiritimati"); // UTC+14
    EXPECT_EQ(address(u"http://portal.example/live/me/pw/42.m3u8"_s, kind(Kind::Xc)),
              u"http://portal.example/timeshift/me/pw/90/2026-12-09:20-00/42.m3u8"_s);
    Catchup athens = kind(Kind::Xc);
    athens.timeZone = "Europe/Athens";
    EXPECT_EQ(address(u"http://portal.example/live/me/pw/42.m3u8"_s, athens),
              u"http://portal.example/timeshift/me/pw/90/2026-12-09:22-00/42.m3u8"_s);
    Catchup nowhere = kind(Kind::Xc);
    nowhere.timeZone = "Not/AZone";
    EXPECT_EQ(address(u"http://portal.example/live/me/pw/42.m3u8"_s, nowhere),
              u"http://portal.example/timeshift/me/pw/90/2026-12-09:20-00/42.m3u8"_s);
    EXPECT_EQ(address(u"http://tv.example/ch"_s, kind(Kind::Default, u"http://a.example/{H}"_s)),
              u"http://a.example/20"_s);
}

TEST(ArchiveAddressTest, BadTemplatesAreRefusedAndNothingIsRequested) {
    const QString live = u"http://tv.example/ch"_s;
    EXPECT_TRUE(
        refusal(live, kind(Kind::Default, u"http://a.example/{foo}"_s)).contains(u"{foo}"_s));
    EXPECT_TRUE(
        refusal(live, kind(Kind::Default, u"http://a.example/${bar:1}"_s)).contains(u"${bar:1}"_s));
    EXPECT_FALSE(refusal(live, kind(Kind::Default, u"http://a.example/{duration:0}"_s)).isEmpty());
    EXPECT_FALSE(refusal(live, kind(Kind::Default, u"http://a.example/\r\nX-Evil: 1"_s)).isEmpty());
    EXPECT_FALSE(refusal(live, kind(Kind::Default, u"javascript:alert({utc})"_s)).isEmpty());
    EXPECT_FALSE(refusal(live, kind(Kind::Default, u"file:///etc/{utc}"_s)).isEmpty());
    EXPECT_FALSE(refusal(live, kind(Kind::Default, u"http://a.example/{unclosed"_s)).isEmpty());
    EXPECT_FALSE(refusal(live, kind(Kind::Default)).isEmpty()) << "no template";
    EXPECT_FALSE(refusal(live, kind(Kind::Append)).isEmpty()) << "no template";
    // 10 kB of template: refused in one pass, and so is what placeholders grow past the bound.
    EXPECT_FALSE(refusal(live, kind(Kind::Default, u"http://a.example/"_s + QString(10000, u'x')))
                     .isEmpty());
    QString many = u"http://a.example/"_s;
    for (int i = 0; i < 900; ++i) {
        many += u"{utc}"_s;
    }
    EXPECT_TRUE(refusal(live, kind(Kind::Default, many)).contains(u"longer"_s));
    // The text never repeats the address, which may carry an account's password.
    const QString why = refusal(u"http://portal.example/live/me/s3cret/1.ts"_s,
                                kind(Kind::Default, u"http://a.example/{nope}"_s));
    EXPECT_FALSE(why.contains(u"s3cret"_s));
    EXPECT_TRUE(refusal(live, Catchup()).contains(u"no archive"_s));
}

TEST(CatchupReadingTest, TheHeadersValuesAreDefaultsThatAChannelOverrides) {
    const Read r =
        read(u"#EXTM3U url-tvg=\"g.xml\" catchup=\"Shift\" catchup-days=\"3\" "
             u"catchup-correction=\"1.5\"\n"
             "#EXTINF:-1,Plain\nhttp://a.example/1\n"
             "#EXTINF:-1 catchup=\"append\" catchup-source=\"?t={utc}\",Own\nhttp://a.example/2\n"
             "#EXTINF:-1 catchup-type=\"FLUSSONIC-HLS\" "
             "catchup-days=\"14\",Typed\nhttp://a.example/3/index.m3u8\n"
             "http://a.example/bare\n"_s);
    ASSERT_EQ(r.entries.size(), 4u);
    EXPECT_TRUE(r.problems.isEmpty()) << qPrintable(r.problems.join(u'\n'));
    EXPECT_EQ(r.entries[0].catchup.kind, Kind::Shift);
    EXPECT_EQ(r.entries[0].catchup.days, 3);
    EXPECT_EQ(r.entries[0].catchup.correctionSeconds, 5400);
    EXPECT_EQ(r.entries[1].catchup.kind, Kind::Append);
    EXPECT_EQ(r.entries[1].catchup.source, u"?t={utc}"_s);
    EXPECT_EQ(r.entries[1].catchup.days, 3);
    EXPECT_EQ(r.entries[2].catchup.kind, Kind::Flussonic);
    EXPECT_EQ(r.entries[2].catchup.days, 14);
    EXPECT_EQ(r.entries[3].catchup.kind, Kind::Shift) << "a plain line takes the list's";
}

TEST(CatchupReadingTest, TheOlderTimeshiftAndTvgRecAreTheShiftKind) {
    const Read r = read(u"#EXTM3U\n"
                        "#EXTINF:-1 timeshift=\"5\",A\nhttp://a.example/1\n"
                        "#EXTINF:-1 tvg-rec=\"2\",B\nhttp://a.example/2\n"
                        "#EXTINF:-1 timeshift=\"0\",C\nhttp://a.example/3\n"
                        "#EXTINF:-1 timeshift=\"5\" catchup=\"default\" "
                        "catchup-source=\"http://x.example/{utc}\",D\n"
                        "http://a.example/4\n"_s);
    ASSERT_EQ(r.entries.size(), 4u);
    EXPECT_EQ(r.entries[0].catchup.kind, Kind::Shift);
    EXPECT_EQ(r.entries[0].catchup.days, 5);
    EXPECT_EQ(r.entries[1].catchup.days, 2);
    EXPECT_FALSE(r.entries[2].catchup.enabled());
    EXPECT_EQ(r.entries[3].catchup.kind, Kind::Default) << "catchup itself says more";
}

TEST(CatchupReadingTest, BadValuesAreNamedAndTheChannelStillPlays) {
    const Read r =
        read(u"#EXTM3U\n"
             "#EXTINF:-1 catchup=\"shift\" catchup-days=\"-1\",A\nhttp://a.example/1\n"
             "#EXTINF:-1 catchup=\"shift\" catchup-days=\"1000000000\",B\nhttp://a.example/2\n"
             "#EXTINF:-1 catchup=\"time-machine\",C\nhttp://a.example/3\n"
             "#EXTINF:-1 catchup=\"default\" catchup-source=\"http://x.example/\x01{utc}\",D\n"
             "http://a.example/4\n"
             "#EXTINF:-1 catchup=\"shift\" catchup-correction=\"99\",E\nhttp://a.example/5\n"_s +
             u"#EXTINF:-1 catchup=\"default\" catchup-source=\""_s + QString(9000, u'x') +
             u"\",F\nhttp://a.example/6\n"_s);
    ASSERT_EQ(r.entries.size(), 6u);
    EXPECT_EQ(r.entries[0].catchup.days, Catchup::DefaultDays);
    EXPECT_EQ(r.entries[1].catchup.days, Catchup::MaxDays);
    EXPECT_FALSE(r.entries[2].catchup.enabled());
    EXPECT_TRUE(r.entries[3].catchup.source.isEmpty());
    EXPECT_EQ(r.entries[4].catchup.correctionSeconds, 0);
    EXPECT_TRUE(r.entries[5].catchup.source.isEmpty());
    ASSERT_EQ(r.problems.size(), 6) << qPrintable(r.problems.join(u'\n'));
    EXPECT_TRUE(r.problems[0].startsWith(u"Line 2: catchup-days \"-1\""_s))
        << qPrintable(r.problems[0]);
    EXPECT_TRUE(r.problems[2].contains(u"time-machine"_s));
    // The address itself plays on: its live address is there.
    EXPECT_EQ(r.entries[3].address, u"http://a.example/4"_s);
}

TEST(CatchupReadingTest, ListsWithoutCatchupReadAsBefore) {
    const Read r =
        read(u"#EXTM3U url-tvg=\"g.xml\"\n#EXTINF:-1 tvg-id=\"a\",A\nhttp://a.example/1\n"_s);
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].catchup, Catchup());
    EXPECT_TRUE(r.problems.isEmpty());
}

TEST(CatchupReadingTest, EachAddressOfAChannelKeepsItsOwnArchive) {
    PlaylistData data;
    data.source = u"tv.m3u"_s;
    data.bytes = "#EXTM3U\n"
                 "#EXTINF:-1,News\nhttp://a.example/1\n"
                 "#EXTINF:-1 catchup=\"shift\" catchup-days=\"2\",News\nhttp://b.example/1\n"
                 "#EXTINF:-1 catchup=\"xc\",News\nhttp://c.example/live/u/p/1.ts\n"
                 "#EXTINF:-1,Music\nhttp://m.example/1\n";
    Catalogue catalogue;
    ASSERT_TRUE(registerPlaylist(data, catalogue).accepted);
    const Station& news = catalogue.station(catalogue.FindStation(u"News"_s));
    EXPECT_TRUE(news.hasCatchup());
    EXPECT_FALSE(news.StreamUrls.catchup(0).enabled());
    EXPECT_EQ(news.StreamUrls.catchup(1).kind, Kind::Shift);
    EXPECT_EQ(news.StreamUrls.catchup(1).days, 2);
    EXPECT_EQ(news.StreamUrls.catchup(2).kind, Kind::Xc);
    EXPECT_FALSE(news.StreamUrls.catchup(7).enabled()) << "beyond the last slot";
    EXPECT_FALSE(catalogue.station(catalogue.FindStation(u"Music"_s)).hasCatchup());
}

} // namespace
} // namespace orvanto
