#include "guide/GuideImport.h"

#include "guide/GuideStore.h"
#include "support/GuideFiles.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

qint64 utc(int day, int hour, int minute = 0) {
    return QDateTime(QDate(2024, 3, day), QTime(hour, minute), Qt::UTC).toSecsSinceEpoch();
}

// The time of the imports: 4 March 2024, 11:30 UTC.
const qint64 Now = utc(4, 11, 30);

// Channel "a" with programmes from 10:00 to 15:00 on 4 March, an hour each; "b" with one.
QByteArray dayGuide(const QByteArray& prefix = "") {
    QByteArray body = "<channel id=\"a\"><display-name>Alpha</display-name></channel>"
                      "<channel id=\"b\"><display-name>Beta</display-name></channel>\n";
    for (int h = 10; h < 15; ++h) {
        const QByteArray start = "20240304" + QByteArray::number(h) + "0000 +0000";
        const QByteArray stop = "20240304" + QByteArray::number(h + 1) + "0000 +0000";
        body += programme("a", start.constData(), stop.constData(),
                          prefix + "A" + QByteArray::number(h));
    }
    body += programme("b", "20240304113000 +0000", "20240304123000 +0000", prefix + "B");
    return guide(body);
}

class GuideImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(s("guide.sqlite"));
        ASSERT_TRUE(store.open(path)) << qPrintable(store.error());
    }

    GuideImport::Outcome import(const QByteArray& bytes, qsizetype piece = 4096,
                                const GuideLimits& limits = GuideLimits(), qint64 now = Now) {
        GuideImport importer(store, now, limits);
        EXPECT_TRUE(importer.begin());
        for (qsizetype at = 0; at < bytes.size(); at += piece) {
            if (!importer.feed(QByteArrayView(bytes).sliced(at, qMin(piece, bytes.size() - at)))) {
                break;
            }
        }
        GuideInfo info;
        info.source = s("http://epg.example.com/guide.xml.gz");
        info.fetched = now;
        info.due = now + 3600;
        return importer.finish(info);
    }

    qint64 key(const char* id) const {
        for (const StoredChannel& channel : store.channels()) {
            if (channel.id == s(id)) {
                return channel.key;
            }
        }
        return 0;
    }

    QStringList titles(const GuideStore& from, const char* id, qint64 after = Now) const {
        std::vector<ProgrammeSlot> slots;
        from.upcoming(key(id), after, 10, slots);
        QStringList list;
        for (const ProgrammeSlot& slot : slots) {
            list << slot.title;
        }
        return list;
    }

    QTemporaryDir dir;
    QString path;
    GuideStore store;
};

TEST_F(GuideImportTest, AGzipGuideIsStoredAndAskedByChannelAndTime) {
    const GuideImport::Outcome outcome = import(gzipped(dayGuide()));
    ASSERT_TRUE(outcome.committed) << qPrintable(outcome.failure);
    EXPECT_EQ(outcome.channels, 2);
    EXPECT_EQ(outcome.programmes, 6);
    EXPECT_TRUE(outcome.problem.isEmpty());

    const std::vector<StoredChannel> channels = store.channels();
    ASSERT_EQ(channels.size(), 2u);
    EXPECT_EQ(channels[0].names, QStringList{s("Alpha")});
    // What ends after 11:30: the one on since 11:00 first.
    EXPECT_EQ(titles(store, "a"), (QStringList{s("A11"), s("A12"), s("A13"), s("A14")}));
    const std::vector<Programme> day = store.between(key("a"), utc(4, 12, 30), utc(4, 14));
    ASSERT_EQ(day.size(), 2u);
    EXPECT_EQ(day[0].title, s("A12"));
    EXPECT_EQ(day[1].start, utc(4, 13));

    const GuideInfo info = store.info();
    EXPECT_EQ(info.source, s("http://epg.example.com/guide.xml.gz"));
    EXPECT_EQ(info.fetched, Now);
    EXPECT_EQ(info.programmes, 6);
}

TEST_F(GuideImportTest, XzAndPlainGuidesAreToldByTheirFirstBytes) {
    EXPECT_TRUE(import(xzipped(dayGuide("x")), 100).committed);
    EXPECT_EQ(titles(store, "a").first(), s("xA11"));
    EXPECT_TRUE(import(dayGuide("p"), 1).committed);
    EXPECT_EQ(titles(store, "a").first(), s("pA11"));
}

TEST_F(GuideImportTest, ProgrammesEndedMoreThanADayAgoAreDroppedAndDuplicatesKeptOnce) {
    const QByteArray body =
        programme("a", "20240302100000 +0000", "20240302110000 +0000", "Two days ago") +
        programme("a", "20240303130000 +0000", "20240303140000 +0000", "Yesterday") +
        programme("a", "20240304130000 +0000", "20240304140000 +0000", "Today") +
        programme("a", "20240304130000 +0000", "20240304140000 +0000", "Today again");
    const GuideImport::Outcome outcome = import(guide(body));
    EXPECT_EQ(store.between(key("a"), 0, utc(5, 0)).size(), 2u);
    EXPECT_EQ(titles(store, "a", 0), (QStringList{s("Yesterday"), s("Today")}));
    EXPECT_TRUE(outcome.committed);

    // Pruning drops what has ended since.
    EXPECT_EQ(store.prune(utc(4, 0)), 1);
    EXPECT_EQ(titles(store, "a", 0), QStringList{s("Today")});
}

// A list whose archives reach back days keeps the guide's programmes as long, with the id the
// archive knows each by.
TEST_F(GuideImportTest, ProgrammesAreKeptAsLongAsTheArchiveReachesWithTheirCatchupIds) {
    const QByteArray body =
        "<programme start=\"20240302100000 +0000\" stop=\"20240302110000 +0000\" channel=\"a\" "
        "catchup-id=\" 1234/abc \"><title>Two days ago</title></programme>\n" +
        programme("a", "20240301100000 +0000", "20240301110000 +0000", "Three days ago") +
        programme("a", "20240304130000 +0000", "20240304140000 +0000", "Today");
    GuideLimits limits;
    limits.keepSeconds = 3 * 24 * 3600 - 3600;
    ASSERT_TRUE(import(guide(body), 4096, limits).committed);
    const std::vector<Programme> kept = store.between(key("a"), 0, utc(5, 0));
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].title, s("Two days ago"));
    EXPECT_EQ(kept[0].catchupId, s("1234/abc"));
    EXPECT_EQ(kept[1].catchupId, QString());
}

TEST_F(GuideImportTest, AProgrammeWithoutAStopLastsUntilItsChannelsNext) {
    const QByteArray body = "<programme start=\"20240304120000 +0000\" channel=\"a\">"
                            "<title>Open</title></programme>"
                            "<programme start=\"20240304120000 +0000\" channel=\"b\">"
                            "<title>Last</title></programme>" +
                            programme("a", "20240304124500 +0000", "20240304130000 +0000", "Next");
    ASSERT_TRUE(import(guide(body)).committed);
    std::vector<ProgrammeSlot> slots;
    store.upcoming(key("a"), 0, 10, slots);
    ASSERT_EQ(slots.size(), 2u);
    EXPECT_EQ(slots[0].stop, utc(4, 12, 45));
    slots.clear();
    store.upcoming(key("b"), 0, 10, slots);
    ASSERT_EQ(slots.size(), 1u);
    EXPECT_EQ(slots[0].stop, utc(4, 12) + GuideImport::UnknownLength);
}

TEST_F(GuideImportTest, AnImportIsOneTransactionThatLeavesTheOldGuideWholeUntilItCommits) {
    ASSERT_TRUE(import(dayGuide("old ")).committed);
    GuideStore reader;
    ASSERT_TRUE(reader.open(path));

    const QByteArray next = dayGuide("new ");
    {
        GuideImport importer(store, Now);
        ASSERT_TRUE(importer.begin());
        ASSERT_TRUE(importer.feed(next.first(next.size() - 40)));
        // Another connection sees the old guide while the new one is being written.
        EXPECT_EQ(titles(reader, "a").first(), s("old A11"));
        importer.cancel();
    }
    EXPECT_EQ(titles(store, "a").first(), s("old A11"));
    {
        // An import that never finishes (the viewer quits) is rolled back as well.
        GuideImport importer(store, Now);
        ASSERT_TRUE(importer.begin());
        ASSERT_TRUE(importer.feed(next.first(next.size() / 2)));
    }
    EXPECT_EQ(titles(reader, "a").first(), s("old A11"));
    EXPECT_EQ(store.info().programmes, 6);

    ASSERT_TRUE(import(next).committed);
    EXPECT_EQ(titles(reader, "a").first(), s("new A11"));
}

TEST_F(GuideImportTest, AProcessKilledInTheMiddleOfAnImportLeavesTheOldGuide) {
    ASSERT_TRUE(import(dayGuide("old ")).committed);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The viewer, killed while it imports: nothing is rolled back, nothing closed.
        GuideStore writer;
        GuideImport importer(writer, Now);
        const bool going = writer.open(path) && importer.begin() && importer.feed(dayGuide("new "));
        ::kill(::getpid(), going ? SIGKILL : SIGTERM);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the import did not begin";
    GuideStore reopened;
    ASSERT_TRUE(reopened.open(path));
    EXPECT_EQ(titles(reopened, "a").first(), s("old A11"));
    EXPECT_EQ(titles(store, "a").first(), s("old A11"));
}

TEST_F(GuideImportTest, MalformedXmlKeepsWhatWasReadAndNotesWhere) {
    ASSERT_TRUE(import(dayGuide("old ")).committed);
    QByteArray broken = dayGuide("new ");
    broken.replace("new A13</title>", "new A13</titel>");
    const GuideImport::Outcome outcome = import(broken);
    ASSERT_TRUE(outcome.committed);
    EXPECT_EQ(titles(store, "a"), (QStringList{s("new A11"), s("new A12")}));
    EXPECT_TRUE(outcome.problem.startsWith(s("line 8, column"))) << qPrintable(outcome.problem);
    EXPECT_EQ(store.info().problem, outcome.problem);
}

TEST_F(GuideImportTest, AGuideWithNothingUsableLeavesTheOldOneAndSaysWhy) {
    ASSERT_TRUE(import(dayGuide("old ")).committed);
    for (const QByteArray& bad : {QByteArray("<html><body>Not found</body></html>"), QByteArray(),
                                  gzipped(dayGuide()).first(30), guide("<channel id=\"z\"/>")}) {
        const GuideImport::Outcome outcome = import(bad);
        EXPECT_FALSE(outcome.committed);
        EXPECT_FALSE(outcome.failure.isEmpty());
        EXPECT_EQ(titles(store, "a").first(), s("old A11"));
    }
    // A refresh that fails is noted; the guide stays, and the next import clears the note.
    store.recordFailure(s("the server answered 500"), Now);
    EXPECT_EQ(store.info().failure, s("the server answered 500"));
    EXPECT_EQ(store.info().programmes, 6);
    ASSERT_TRUE(import(dayGuide()).committed);
    EXPECT_TRUE(store.info().failure.isEmpty());
}

TEST_F(GuideImportTest, AGzipBombStopsAtTheUnpackedBoundKeepingWhatCameBefore) {
    // 64 MiB of programmes that pack to well under a MiB; the bound is 4 MiB.
    QByteArray body;
    const QByteArray one =
        programme("a", "20240304120000 +0000", "20240304130000 +0000", QByteArray(200, 'x'));
    body.reserve(64 << 20);
    body += "<tv>";
    while (body.size() < (64 << 20)) {
        body += one;
    }
    const QByteArray bomb = gzipped(body + "</tv>");
    ASSERT_LT(bomb.size(), 1 << 20);
    GuideLimits limits;
    limits.guideBytes = 4 << 20;
    const GuideImport::Outcome outcome = import(bomb, 65536, limits);
    EXPECT_TRUE(outcome.committed);
    EXPECT_TRUE(outcome.problem.contains(s("unpacks to more than 4 MiB")))
        << qPrintable(outcome.problem);
    EXPECT_EQ(outcome.programmes, 1); // all the same programme: kept once
}

TEST_F(GuideImportTest, TheRawChannelAndProgrammeBoundsStopTheReading) {
    GuideLimits limits;
    limits.rawBytes = 500;
    GuideImport::Outcome outcome = import(dayGuide(), 100, limits);
    EXPECT_TRUE(outcome.problem.contains(s("larger than"))) << qPrintable(outcome.problem);

    limits = {};
    limits.channels = 1;
    outcome = import(dayGuide(), 100, limits);
    EXPECT_TRUE(outcome.problem.contains(s("more than 1 channels"))) << qPrintable(outcome.problem);
    EXPECT_EQ(outcome.channels, 1);

    limits = {};
    limits.programmes = 3;
    outcome = import(dayGuide(), 100, limits);
    EXPECT_EQ(outcome.programmes, 3);
    EXPECT_TRUE(outcome.problem.contains(s("more than 3 programmes")))
        << qPrintable(outcome.problem);
}

TEST_F(GuideImportTest, AFileThatIsNoStoreIsMadeAgain) {
    const QString other = dir.filePath(s("damaged.sqlite"));
    QFile file(other);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'z'));
    file.close();
    GuideStore damaged;
    ASSERT_TRUE(damaged.open(other)) << qPrintable(damaged.error());
    EXPECT_TRUE(damaged.channels().empty());
    EXPECT_EQ(damaged.info().fetched, 0);
}

} // namespace
} // namespace orvanto::test
