// A guide read again into a store that holds its last reading: only what changed is read and
// written, and the store ends as a first reading of the new guide leaves it.

#include "guide/GuideImport.h"
#include "guide/GuideStore.h"
#include "support/GuideFiles.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

const qint64 Now = QDateTime(QDate(2024, 3, 4), QTime(11, 30), Qt::UTC).toSecsSinceEpoch();

QByteArray xmltvTime(qint64 at) {
    return QDateTime::fromSecsSinceEpoch(at, Qt::UTC).toString(s("yyyyMMddHHmmss")).toLatin1() +
           " +0000";
}

// A guide as the tests change it before writing it out.
struct Show {
    qint64 start = 0;
    qint64 stop = 0; // 0: the guide gives none
    QByteArray title;
    QByteArray description;
};
struct Station {
    QByteArray id;
    QByteArray name;
    bool declared = true;
    std::vector<Show> shows;
};
using Guide = std::vector<Station>;

QByteArray xml(const Guide& stations) {
    QByteArray body;
    for (const Station& station : stations) {
        if (station.declared) {
            body += "<channel id=\"" + station.id + "\"><display-name>" + station.name +
                    "</display-name></channel>\n";
        }
    }
    for (const Station& station : stations) {
        for (const Show& show : station.shows) {
            body += "<programme start=\"" + xmltvTime(show.start) + "\"";
            if (show.stop != 0) {
                body += " stop=\"" + xmltvTime(show.stop) + "\"";
            }
            body += " channel=\"" + station.id + "\"><title lang=\"en\">" + show.title + "</title>";
            if (!show.description.isEmpty()) {
                body += "<desc>" + show.description + "</desc>";
            }
            body += "</programme>\n";
        }
    }
    return guide(body);
}

class GuideRefreshTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    static GuideImport::Outcome import(GuideStore& store, const QByteArray& bytes, qint64 now,
                                       qsizetype piece = 4096) {
        GuideImport importer(store, now);
        EXPECT_TRUE(importer.begin());
        for (qsizetype at = 0; at < bytes.size(); at += piece) {
            if (!importer.feed(QByteArrayView(bytes).sliced(at, qMin(piece, bytes.size() - at)))) {
                break;
            }
        }
        GuideInfo info;
        info.source = s("http://epg.example.com/guide.xml");
        info.fetched = now;
        return importer.finish(info);
    }

    // Everything a store holds, channel by channel in the order of their ids.
    static QStringList contents(const GuideStore& store) {
        std::vector<StoredChannel> channels = store.channels();
        std::sort(channels.begin(), channels.end(),
                  [](const StoredChannel& a, const StoredChannel& b) { return a.id < b.id; });
        QStringList lines;
        for (const StoredChannel& channel : channels) {
            lines << channel.id + u'|' + channel.names.join(u',');
            for (const Programme& p :
                 store.between(channel.key, 0, std::numeric_limits<qint64>::max(), 100000)) {
                lines << s("  %1-%2 %3 / %4").arg(p.start).arg(p.stop).arg(p.title, p.description);
            }
        }
        return lines;
    }

    // What a first reading of `bytes` at `now` leaves in an empty store.
    QStringList freshly(const QByteArray& bytes, qint64 now) {
        GuideStore fresh;
        EXPECT_TRUE(fresh.open(dir.filePath(s("fresh-%1.sqlite").arg(++freshStores))));
        import(fresh, bytes, now);
        return contents(fresh);
    }

    QTemporaryDir dir;
    int freshStores = 0;
};

Guide hourly(int channels, int hours) {
    Guide guide;
    for (int c = 0; c < channels; ++c) {
        Station station{"ch" + QByteArray::number(c), "Channel " + QByteArray::number(c), true, {}};
        for (int h = 0; h < hours; ++h) {
            const qint64 start = Now - 3600 * 2 + h * 3600;
            station.shows.push_back({start, start + 3600,
                                     "Show " + QByteArray::number(c) + "." + QByteArray::number(h),
                                     "About show " + QByteArray::number(h)});
        }
        guide.push_back(std::move(station));
    }
    return guide;
}

TEST_F(GuideRefreshTest, AGuideReadAgainKeepsWhatItHadAndWritesWhatChanged) {
    GuideStore store;
    ASSERT_TRUE(store.open(dir.filePath(s("guide.sqlite"))));
    Guide guide = hourly(4, 50);
    GuideImport::Outcome first = import(store, xml(guide), Now);
    ASSERT_TRUE(first.committed);
    EXPECT_EQ(first.programmes, 200);
    EXPECT_EQ(first.kept, 0);

    // The same guide: nothing is read again, nothing changes.
    GuideImport::Outcome same = import(store, xml(guide), Now);
    EXPECT_TRUE(same.committed);
    EXPECT_EQ(same.programmes, 200);
    EXPECT_EQ(same.kept, 200);
    EXPECT_EQ(same.channels, 4);
    EXPECT_EQ(contents(store), freshly(xml(guide), Now));

    // A title changed, a programme gone, one added, a channel renamed, one gone altogether.
    guide[0].shows[10].title = "Changed";
    guide[1].shows.erase(guide[1].shows.begin() + 5);
    guide[2].shows.push_back({Now + 60 * 3600, Now + 61 * 3600, "Added", {}});
    guide[2].name = "Renamed";
    guide.pop_back();
    GuideImport::Outcome changed = import(store, xml(guide), Now);
    EXPECT_TRUE(changed.committed);
    EXPECT_EQ(changed.programmes, 150);
    EXPECT_EQ(changed.kept, 148);
    EXPECT_EQ(changed.channels, 3);
    EXPECT_EQ(contents(store), freshly(xml(guide), Now));
    EXPECT_EQ(store.info().programmes, 150);
}

TEST_F(GuideRefreshTest, AProgrammeWithNoStopIsEndedByItsChannelsNextAfterAChange) {
    GuideStore store;
    ASSERT_TRUE(store.open(dir.filePath(s("guide.sqlite"))));
    Guide guide = hourly(1, 6);
    guide[0].shows[2].stop = 0; // ends where the next starts
    ASSERT_TRUE(import(store, xml(guide), Now).committed);
    guide[0].shows[3].start += 1800; // the next starts later: the open one lasts longer
    guide[0].shows[3].stop += 1800;
    import(store, xml(guide), Now);
    EXPECT_EQ(contents(store), freshly(xml(guide), Now));
    EXPECT_TRUE(contents(store).contains(s("  %1-%2 Show 0.2 / About show 2")
                                             .arg(guide[0].shows[2].start)
                                             .arg(guide[0].shows[3].start)));
}

// Random guides changed at random, read again at a later time in random pieces: the store always
// ends as a first reading of the changed guide leaves an empty one.
TEST_F(GuideRefreshTest, WhateverChangesTheStoreEndsAsAFirstReadingLeavesIt) {
    QRandomGenerator random(20261210);
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE(round);
        Guide guide;
        const int channels = random.bounded(1, 6);
        for (int c = 0; c < channels; ++c) {
            Station station{"c" + QByteArray::number(c),
                            "Name " + QByteArray::number(c),
                            random.bounded(4) != 0,
                            {}};
            qint64 at = Now - 3 * 24 * 3600 + random.bounded(7200);
            for (int p = random.bounded(0, 80); p > 0; --p) {
                const qint64 length = 600 * random.bounded(1, 12);
                const bool open = random.bounded(8) == 0;
                station.shows.push_back({at, open ? 0 : at + length,
                                         "T" + QByteArray::number(random.bounded(40)),
                                         random.bounded(2) ? QByteArray("d") : QByteArray()});
                // Now and then the next starts where this one did (a duplicate end, or a
                // programme to be ended by the next).
                at += random.bounded(10) == 0 ? 0 : length;
                at += random.bounded(30) * 120;
            }
            guide.push_back(std::move(station));
        }
        GuideStore store;
        ASSERT_TRUE(store.open(dir.filePath(s("round-%1.sqlite").arg(round))));
        import(store, xml(guide), Now, random.bounded(1, 3000));

        for (Station& station : guide) {
            for (int edits = random.bounded(0, 6); edits > 0 && !station.shows.empty(); --edits) {
                Show& show = station.shows[random.bounded(int(station.shows.size()))];
                switch (random.bounded(5)) {
                case 0:
                    show.title = "Edited " + QByteArray::number(random.bounded(100));
                    break;
                case 1:
                    show.stop = show.stop == 0 ? show.start + 900 : 0;
                    break;
                case 2:
                    show.start -= 300;
                    break;
                case 3:
                    station.shows.erase(station.shows.begin() +
                                        random.bounded(int(station.shows.size())));
                    break;
                default:
                    station.name += "+";
                    break;
                }
            }
        }
        if (guide.size() > 1 && random.bounded(3) == 0) {
            guide.erase(guide.begin() + random.bounded(int(guide.size())));
        }
        const qint64 later = Now + random.bounded(0, 30) * 3600;
        const QByteArray again = xml(guide);
        const GuideImport::Outcome outcome = import(store, again, later, random.bounded(1, 3000));
        const QStringList expected = freshly(again, later);
        if (!outcome.committed) {
            EXPECT_EQ(expected.filter(s("  ")).size(), 0) << "a store left as it was";
            continue;
        }
        EXPECT_EQ(contents(store), expected);
    }
}

} // namespace
} // namespace orvanto::test
