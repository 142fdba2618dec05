// The schedule of recordings: kept between runs in the order of their start, and read with
// bounds from a file that may hold anything.
#include "playback/RecordingSchedule.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace Qt::Literals::StringLiterals;
using State = ScheduledRecording::State;

namespace {

ScheduledRecording entry(const QString& channel, qint64 start, State state = State::Scheduled) {
    return {.id = 0,
            .list = u"/lists/tv.m3u"_s,
            .channel = channel,
            .programme = u"Evening \u2014 news"_s,
            .start = start,
            .stop = start + 1800,
            .paddingBefore = 120,
            .paddingAfter = 300,
            .state = state,
            .reason = state == State::Failed ? u"The disk is full."_s : QString(),
            .path = state == State::Done ? u"/rec/one.ts"_s : QString()};
}

constexpr qint64 T = 1'765'000'000;

} // namespace

TEST(RecordingSchedule, KeptBetweenRunsInTheOrderOfTheirStart) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"schedule.conf"_s);
    QList<ScheduledRecording> added;
    {
        RecordingSchedule schedule(file);
        QSignalSpy changed(&schedule, &RecordingSchedule::changed);
        for (const ScheduledRecording& e :
             {entry(u"Late"_s, T + 7200), entry(u"Done"_s, T, State::Done),
              entry(u"Failed"_s, T + 60, State::Failed),
              entry(u"On"_s, T + 30, State::Recording)}) {
            ScheduledRecording copy = e;
            copy.id = schedule.add(e);
            ASSERT_NE(copy.id, 0u);
            added << copy;
        }
        EXPECT_EQ(changed.size(), 4);
    }
    RecordingSchedule again(file);
    ASSERT_EQ(again.entries().size(), 4);
    EXPECT_EQ(again.entries()[0], added[1]);
    EXPECT_EQ(again.entries()[1], added[3]);
    EXPECT_EQ(again.entries()[2], added[2]);
    EXPECT_EQ(again.entries()[3], added[0]);

    // Ids are not given twice, even after the last one went.
    again.remove(added[0].id);
    RecordingSchedule third(file);
    EXPECT_EQ(third.entries().size(), 3);
    EXPECT_GT(third.add(entry(u"New"_s, T)), added[3].id);
}

TEST(RecordingSchedule, TakesNothingThatCannotBe) {
    QTemporaryDir dir;
    RecordingSchedule schedule(dir.filePath(u"schedule.conf"_s));
    ScheduledRecording noChannel = entry(u"  "_s, T);
    ScheduledRecording backwards = entry(u"One"_s, T);
    backwards.stop = T - 1;
    ScheduledRecording padded = entry(u"One"_s, T);
    padded.paddingAfter = RecordingSchedule::MaxPaddingSeconds + 1;
    ScheduledRecording endless = entry(u"One"_s, T);
    endless.stop = T + RecordingSchedule::MaxLengthSeconds + 1;
    for (const ScheduledRecording& e : {noChannel, backwards, padded, endless}) {
        EXPECT_EQ(schedule.add(e), 0u) << qPrintable(e.channel);
    }
    const quint64 id = schedule.add(entry(u"One"_s, T));
    ScheduledRecording moved = *schedule.find(id);
    moved.stop = moved.start;
    EXPECT_FALSE(schedule.update(moved));
    EXPECT_EQ(schedule.find(id)->stop, T + 1800);
}

TEST(RecordingSchedule, ReadsABoundedNumberAndDropsGarbage) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"schedule.conf"_s);
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.beginWriteArray(u"scheduled"_s);
        const int written = RecordingSchedule::MaxEntries + 50;
        for (int i = 0; i < written; ++i) {
            settings.setArrayIndex(i);
            settings.setValue(u"id"_s, i + 1);
            settings.setValue(u"channel"_s, u"One"_s);
            settings.setValue(u"start"_s, T + i);
            settings.setValue(u"stop"_s, T + i + 60);
            settings.setValue(u"state"_s, u"scheduled"_s);
        }
        // The first few spoiled, each its own way.
        settings.setArrayIndex(0);
        settings.setValue(u"state"_s, u"exploded"_s);
        settings.setArrayIndex(1);
        settings.setValue(u"id"_s, u"one"_s);
        settings.setArrayIndex(2);
        settings.setValue(u"id"_s, 4); // the next one's
        settings.setArrayIndex(4);
        settings.setValue(u"stop"_s, u"soon"_s);
        settings.setArrayIndex(5);
        settings.setValue(u"before"_s, -60);
        settings.setArrayIndex(6);
        settings.remove(u"channel"_s);
        settings.endArray();
    }
    RecordingSchedule schedule(file);
    EXPECT_EQ(schedule.entries().size(), RecordingSchedule::MaxEntries - 6);
    EXPECT_EQ(schedule.entries().first().id, 4u);
    EXPECT_EQ(schedule.entries().first().start, T + 2) << "of two with one id, the first is kept";
    EXPECT_NE(schedule.find(8), nullptr);

    // Full of recordings still to come: no more is taken until one goes.
    while (schedule.entries().size() < RecordingSchedule::MaxEntries) {
        ASSERT_NE(schedule.add(entry(u"Two"_s, T)), 0u);
    }
    EXPECT_EQ(schedule.add(entry(u"Two"_s, T)), 0u);
    schedule.remove(8);
    EXPECT_NE(schedule.add(entry(u"Two"_s, T)), 0u);
    // Once some are over, the first of those makes room.
    ScheduledRecording done = *schedule.find(20);
    done.state = State::Done;
    schedule.update(done);
    ScheduledRecording failed = *schedule.find(10);
    failed.state = State::Failed;
    schedule.update(failed);
    EXPECT_NE(schedule.add(entry(u"Three"_s, T + 5000)), 0u);
    EXPECT_EQ(schedule.find(10), nullptr) << "it started first";
    EXPECT_NE(schedule.find(20), nullptr);
    EXPECT_EQ(schedule.entries().size(), RecordingSchedule::MaxEntries);

    QFile garbage(dir.filePath(u"garbage.conf"_s));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, '\xff') + "\n[scheduled]\nsize=99999999\n");
    garbage.close();
    EXPECT_TRUE(RecordingSchedule(garbage.fileName()).entries().isEmpty());
}
