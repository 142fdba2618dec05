// The day view shown again for the same day (what is scheduled changed) stays where the user
// scrolled it; another day opens at what is on now.
#include "window/DayView.h"

#include <QScrollBar>
#include <QTextBrowser>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace Qt::Literals::StringLiterals;

TEST(DayView, ShownAgainItStaysWhereItWasScrolled) {
    const QDate today(2026, 12, 9);
    const qint64 midnight = today.startOfDay().toSecsSinceEpoch();
    std::vector<Programme> day(48);
    for (size_t i = 0; i < day.size(); ++i) {
        day[i].start = midnight + qint64(i) * 1800;
        day[i].stop = day[i].start + 1800;
        day[i].title = u"Programme %1"_s.arg(i);
        day[i].description = u"What it is about, at some length, so that the day is long."_s;
    }
    const qint64 evening = midnight + 22 * 3600;
    DayView view;
    view.resize(300, 200);
    view.show();
    view.showDay(u"One"_s, today, day, evening, true, {});
    QScrollBar* bar = view.findChild<QTextBrowser*>(u"channelDay"_s)->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_GT(bar->value(), 0) << "at what is on now";

    bar->setValue(0);
    view.showDay(u"One"_s, today, day, evening, true, {}, std::vector<bool>(day.size(), true));
    EXPECT_EQ(bar->value(), 0);

    view.showDay(u"Two"_s, today, day, evening, true, {});
    EXPECT_GT(bar->value(), 0) << "another channel's day opens at now";
}
