#pragma once

#include "guide/GuideSchedule.h"
#include "guide/Programme.h"

#include <QDate>
#include <QString>
#include <vector>

namespace orvanto {

// How the programme guide reads in the window: times in the user's time zone and locale.
namespace GuideText {

// The "Now" column: the title and the minutes left ("News (12 min left)").
QString now(const ProgrammeSlot& slot, qint64 time);
// The "Next" column: the start time and the title ("21:00 Film").
QString next(const ProgrammeSlot& slot);
// A programme's start and end ("20:30–21:00").
QString span(qint64 start, qint64 stop);
// What is on and what follows, for a station button's tooltip; empty when nothing is known.
QString tip(const GuideSchedule::NowNext& nowNext, qint64 time);
// A channel's programmes of `date`, with times and descriptions, as rich text; the one on at
// `time` stands out. `inGuide`: the guide has the channel at all. Programme i for which
// `playable[i]` holds can be played from the channel's archive: a past one's heading links to
// "archive:i", the one on now has a "From the start" link to it. With `recordable`, each one not
// over yet has a "Record" link ("record:i"), or "Scheduled" where `scheduled[i]` holds.
QString day(const QString& channel, const QDate& date, const std::vector<Programme>& programmes,
            qint64 time, bool inGuide = true, const std::vector<bool>& playable = {},
            bool recordable = false, const std::vector<bool>& scheduled = {});
// The link of programme `index` in day(), and the programme a link names (-1: none).
QString archiveLink(int index);
int archiveIndex(const QString& link);
QString recordLink(int index);
int recordIndex(const QString& link);

} // namespace GuideText
} // namespace orvanto
