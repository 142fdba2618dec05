// "Scheduled recordings": each entry with its time and how it stands, and Cancel or Forget.
#include "window/ScheduleDialog.h"

#include "playback/RecordingSchedule.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace Qt::Literals::StringLiterals;
using State = ScheduledRecording::State;

namespace {

ScheduledRecording entry(const QString& channel, int hour, State state, const QString& reason) {
    const qint64 start = QDateTime(QDate(2026, 12, 9), QTime(hour, 0)).toSecsSinceEpoch();
    return {.id = 0,
            .list = u"/lists/tv.m3u"_s,
            .channel = channel,
            .programme = u"News"_s,
            .start = start,
            .stop = start + 3600,
            .paddingBefore = 120,
            .paddingAfter = 300,
            .state = state,
            .reason = reason,
            .path = {}};
}

} // namespace

TEST(ScheduleDialog, ListsTheStatesAndCancelsOrForgetsTheOneChosen) {
    QTemporaryDir dir;
    RecordingSchedule schedule(dir.filePath(u"schedule.conf"_s));
    const quint64 failed = schedule.add(entry(u"One"_s, 18, State::Failed, u"The disk is full."_s));
    schedule.add(entry(u"Two"_s, 19, State::Done, {}));
    const quint64 on = schedule.add(entry(u"Three"_s, 20, State::Recording, {}));
    schedule.add(entry(u"Four"_s, 21, State::Scheduled, {}));
    std::vector<quint64> cancelled;
    ScheduleDialog dialog(schedule, [&](quint64 id) { cancelled.push_back(id); });

    QTableWidget* table = dialog.table();
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(0, 0)->text(), u"One"_s);
    EXPECT_EQ(table->item(0, 3)->text(), u"Failed: The disk is full."_s);
    EXPECT_EQ(table->item(1, 3)->text(), u"Done"_s);
    EXPECT_EQ(table->item(2, 3)->text(), u"Recording"_s);
    EXPECT_EQ(table->item(3, 3)->text(), u"Scheduled"_s);
    EXPECT_TRUE(table->item(2, 2)->text().contains(u"19:58"_s)) << "with the padding before";
    EXPECT_TRUE(table->item(2, 2)->text().contains(u"21:05"_s)) << "and after";

    auto* cancel = dialog.findChild<QPushButton*>(u"cancelScheduled"_s);
    ASSERT_NE(cancel, nullptr);
    EXPECT_FALSE(cancel->isEnabled()) << "nothing chosen";
    table->selectRow(2);
    EXPECT_EQ(cancel->text(), u"Cancel recording"_s);
    cancel->click();
    table->selectRow(0);
    EXPECT_EQ(cancel->text(), u"Forget"_s);
    cancel->click();
    EXPECT_EQ(cancelled, (std::vector<quint64>{on, failed}));

    // It follows the schedule, the one chosen staying chosen.
    ScheduledRecording done = *schedule.find(on);
    done.state = State::Done;
    schedule.update(done);
    EXPECT_EQ(table->item(2, 3)->text(), u"Done"_s);
    EXPECT_EQ(table->selectedItems().first()->row(), 0);
}
