// The scheduled recordings in the program's own composition: scheduled from the guide's
// programme, listed by "Scheduled recordings..." in a window of their own beside the main one,
// and cancelled there.

#include "ViewerFixture.h"
#include "app/ScheduleWiring.h"
#include "guide/Programme.h"
#include "window/ScheduleDialog.h"

#include <QAction>
#include <QPushButton>
#include <QTableWidget>

namespace orvanto::test {
namespace {

class ViewerSchedule : public ViewerRigOf<true> {
protected:
    ViewerSchedule() { viewer.start(builtinStationRegistrations()); }
};

TEST_F(ViewerSchedule, AProgrammeScheduledIsListedBesideTheWindowAndCancelledThere) {
    ASSERT_NE(viewer.schedule(), nullptr);
    auto* action = viewer.form().findChild<QAction*>(s("showSchedule"));
    ASSERT_NE(action, nullptr);

    Programme news;
    news.title = s("News");
    news.start = clock.now.addSecs(3600).toSecsSinceEpoch();
    news.stop = clock.now.addSecs(7200).toSecsSinceEpoch();
    const QString channel = catalogue.station(1).Name;
    viewer.schedule()->record(channel, news);
    ASSERT_FALSE(messages.messages.empty());
    EXPECT_TRUE(messages.messages.back().text.contains(s("is scheduled")))
        << qPrintable(messages.messages.back().text);

    action->trigger();
    auto* dialog = viewer.form().findChild<ScheduleDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal()) << "the window goes on meanwhile";
    ASSERT_EQ(dialog->table()->rowCount(), 1);
    EXPECT_EQ(dialog->table()->item(0, 0)->text(), channel);
    EXPECT_EQ(dialog->table()->item(0, 3)->text(), s("Scheduled"));

    scheduleTicker.tick();
    EXPECT_EQ(viewer.schedule()->scheduler().running(), 0) << "not yet its time";
    dialog->table()->selectRow(0);
    dialog->findChild<QPushButton*>(s("cancelScheduled"))->click();
    EXPECT_EQ(dialog->table()->rowCount(), 0);
    dialog->close();
}

} // namespace
} // namespace orvanto::test
