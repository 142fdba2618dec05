// The kept results of a list's last check: read back as written, and never a wrong or a
// damaged file taken for the list's result.

#include "check/CheckCache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

CheckSummary someSummary() {
    CheckSummary summary;
    summary.checked = QDateTime(QDate(2026, 12, 8), QTime(21, 30, 15));
    summary.stations.insert(s("Kanali 1"), {1, 2});
    summary.stations.insert(s("Ελληνικό κανάλι"), {0, 40});
    return summary;
}

class CheckCacheTest : public ::testing::Test {
protected:
    void overwrite(const QString& list, const QByteArray& bytes) {
        QFile file(cache.fileFor(list));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QTemporaryDir dir;
    CheckCache cache{dir.filePath(s("cache/checks"))}; // made on the first save
};

TEST_F(CheckCacheTest, ASavedResultReadsBackForItsListAlone) {
    const QString list = s("/home/user/lists/mine.m3u");
    EXPECT_TRUE(cache.load(list).isEmpty());
    ASSERT_EQ(cache.save(list, someSummary()), QString());

    const CheckSummary back = cache.load(list);
    EXPECT_EQ(back.checked, someSummary().checked);
    EXPECT_EQ(back.stations, someSummary().stations);
    EXPECT_EQ(back.stationsPlaying(), 1);
    EXPECT_TRUE(cache.load(s("/home/user/lists/other.m3u")).isEmpty());
    EXPECT_TRUE(cache.load(s("http://lists.example.com/mine.m3u")).isEmpty());

    // A later check replaces the earlier one.
    CheckSummary later = someSummary();
    later.checked = later.checked.addDays(1);
    later.stations.remove(s("Kanali 1"));
    ASSERT_EQ(cache.save(list, later), QString());
    EXPECT_EQ(cache.load(list).stations.size(), 1);
    EXPECT_EQ(QDir(dir.filePath(s("cache/checks"))).entryList(QDir::Files).size(), 1);
}

TEST_F(CheckCacheTest, DamagedForeignOrHugeFilesAreNoResult) {
    const QString list = s("/lists/mine.m3u");
    ASSERT_EQ(cache.save(list, someSummary()), QString());
    const QByteArray good = [&] {
        QFile file(cache.fileFor(list));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }();

    overwrite(list, good.left(good.size() / 2));
    EXPECT_TRUE(cache.load(list).isEmpty());
    overwrite(list, QByteArray(good).replace("mine.m3u", "else.m3u")); // another list's file
    EXPECT_TRUE(cache.load(list).isEmpty());
    overwrite(list, QByteArray(good).replace("2026-12-08", "someday"));
    EXPECT_TRUE(cache.load(list).isEmpty());
    overwrite(list, good + QByteArray(CheckCache::MaxFileBytes, ' '));
    EXPECT_TRUE(cache.load(list).isEmpty());

    // Counts that cannot be (more playing than there are, negative) are left out, not shown.
    overwrite(list, R"({"list":"/lists/mine.m3u","checked":"2026-12-08T21:30:00Z","stations":[
        {"name":"A","playing":3,"addresses":2},{"name":"B","playing":-1,"addresses":2},
        {"name":"","playing":0,"addresses":1},{"name":"C","playing":1,"addresses":1}]})");
    const CheckSummary read = cache.load(list);
    ASSERT_FALSE(read.isEmpty());
    EXPECT_EQ(read.stations.keys(), QStringList{s("C")});
}

TEST_F(CheckCacheTest, AFolderThatCannotBeMadeIsSaidAndNothingIsWritten) {
    QFile blocker(dir.filePath(s("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const CheckCache blocked(dir.filePath(s("file/checks")));
    EXPECT_FALSE(blocked.save(s("/lists/mine.m3u"), someSummary()).isEmpty());
    EXPECT_TRUE(blocked.load(s("/lists/mine.m3u")).isEmpty());
}

} // namespace
} // namespace orvanto::test
