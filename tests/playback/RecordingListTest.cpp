// The list of recordings made: kept between runs, newest first, bounded, and a deleted one gone
// from the disk too.
#include "playback/RecordingList.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace Qt::Literals::StringLiterals;

namespace {

QString makeFile(const QTemporaryDir& dir, const QString& name) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("recorded");
    return file.fileName();
}

RecordingList::Entry entry(const QString& path, const QString& channel,
                           const QString& failure = {}) {
    return {.path = path,
            .channel = channel,
            .programme = u"Evening \u2014 news"_s,
            .start = QDateTime(QDate(2026, 12, 9), QTime(20, 0)),
            .lengthMs = 1800000,
            .bytes = 8,
            .failure = failure};
}

} // namespace

TEST(RecordingList, KeptBetweenRunsNewestFirstAndWithoutTheFilesThatWent) {
    QTemporaryDir dir;
    const QString store = dir.filePath(u"recordings.conf"_s);
    const QString first = makeFile(dir, u"one.ts"_s);
    const QString second = makeFile(dir, u"two.mp3"_s);
    {
        RecordingList list(store);
        EXPECT_TRUE(list.entries().isEmpty());
        list.add(entry(first, u"One"_s));
        list.add(entry(second, u"Two"_s, u"The disk is full."_s));
        list.add(entry({}, u"Three"_s, u"Nothing came to record."_s));
    }
    RecordingList again(store);
    ASSERT_EQ(again.entries().size(), 3);
    EXPECT_EQ(again.entries()[0], entry({}, u"Three"_s, u"Nothing came to record."_s));
    EXPECT_EQ(again.entries()[1], entry(second, u"Two"_s, u"The disk is full."_s));
    EXPECT_EQ(again.entries()[2], entry(first, u"One"_s));

    ASSERT_TRUE(QFile::remove(first)); // deleted by the user elsewhere
    RecordingList third(store);
    ASSERT_EQ(third.entries().size(), 2);
    EXPECT_EQ(third.entries()[1].channel, u"Two"_s);
}

TEST(RecordingList, DeletingOneDeletesItsFileAndTheListIsBounded) {
    QTemporaryDir dir;
    RecordingList list(dir.filePath(u"recordings.conf"_s));
    QSignalSpy changed(&list, &RecordingList::changed);
    const QString path = makeFile(dir, u"one.ts"_s);
    list.add(entry(path, u"One"_s));
    QString error;
    ASSERT_TRUE(list.remove(0, &error)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(list.entries().isEmpty());
    EXPECT_EQ(changed.size(), 2);
    EXPECT_FALSE(list.remove(0, &error)) << "no such entry";

    for (int i = 0; i < RecordingList::MaxEntries + 5; ++i) {
        list.add(entry({}, QString::number(i), u"failed"_s));
    }
    ASSERT_EQ(list.entries().size(), RecordingList::MaxEntries);
    EXPECT_EQ(list.entries().first().channel, QString::number(RecordingList::MaxEntries + 4));
}
