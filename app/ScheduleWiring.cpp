#include "app/ScheduleWiring.h"

#include "app/ConnectionWarning.h"
#include "app/GuideWiring.h"
#include "app/ListOpener.h"
#include "catalogue/Catalogue.h"
#include "core/Clock.h"
#include "core/MessageSink.h"
#include "playback/FailoverPlayer.h"
#include "playback/RecordingList.h"
#include "window/GuideText.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <map>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

} // namespace

ScheduleWiring::ScheduleWiring(const Collaborators& with, const Setup& setup, QObject* parent)
    : QObject(parent), with_(with), setup_(setup), schedule_(setup.file),
      sessions_([this](const QString& list, const QString& channel) { return find(list, channel); },
                setup.folder) {
    scheduler_ =
        std::make_unique<RecordingScheduler>(schedule_, sessions_, with_.clock, with_.ticker);
    connect(scheduler_.get(), &RecordingScheduler::finished, this, &ScheduleWiring::finished);
    with_.guide.offerRecording([this](const QString& channel, const Programme& programme) {
        return std::ranges::any_of(schedule_.entries(), [&](const ScheduledRecording& entry) {
            return entry.isOpen() && entry.list == with_.guide.list() && entry.channel == channel &&
                   entry.programme == programme.title && entry.start == programme.start;
        });
    });
    connect(&schedule_, &RecordingSchedule::changed, &with_.guide, &GuideWiring::refreshDay);
    connect(&with_.guide, &GuideWiring::recordRequested, this, &ScheduleWiring::record);
    connect(&with_.guide, &GuideWiring::guideChanged, this, &ScheduleWiring::guideChanged);
    connect(&with_.guide, &GuideWiring::programmesReady, this, &ScheduleWiring::programmesReady);
}

ScheduleWiring::~ScheduleWiring() = default;

const Station* ScheduleWiring::find(const QString& list, const QString& channel) const {
    if (list != with_.guide.list()) {
        return nullptr;
    }
    const int index = with_.catalogue.FindStation(channel);
    return index > 0 ? &with_.catalogue.station(index) : nullptr;
}

void ScheduleWiring::record(const QString& channel, const Programme& programme) {
    const quint64 id = scheduler_->schedule(with_.guide.list(), channel, programme,
                                            setup_.paddingBefore, setup_.paddingAfter);
    const ScheduledRecording* entry = schedule_.find(id);
    const QString what = u"%1 (%2, %3)"_s.arg(
        programme.title, channel,
        QLocale().toString(QDateTime::fromSecsSinceEpoch(programme.start), QLocale::ShortFormat));
    if (entry == nullptr) {
        with_.messages.showMessage(
            u"Record"_s,
            u"%1 cannot be scheduled: it is over or scheduled already, or the schedule is full of "
            u"recordings to come."_s.arg(what),
            MessageSink::Icon::None);
        return;
    }
    const QString risk = warning(*entry);
    with_.messages.showMessage(
        u"Record"_s,
        risk.isEmpty() ? u"%1 is scheduled: it records %2."_s.arg(
                             what, GuideText::span(entry->recordFrom(), entry->recordUntil()))
                       : u"%1 is scheduled, but: %2"_s.arg(what, risk),
        risk.isEmpty() ? MessageSink::Icon::None : MessageSink::Icon::Exclamation);
}

// What plays at the recording's time besides it: the window's channel (taken to play on), and
// the other recordings of the same list that overlap it.
QString ScheduleWiring::warning(const ScheduledRecording& entry) const {
    const Station* recorded = find(entry.list, entry.channel);
    if (recorded == nullptr) {
        return {};
    }
    QList<const Station*> alongside;
    if (const Station* shown = find(entry.list, with_.window.channel())) {
        alongside << shown;
    }
    for (const ScheduledRecording& other : schedule_.entries()) {
        if (other.id != entry.id && other.isOpen() && other.recordFrom() < entry.recordUntil() &&
            entry.recordFrom() < other.recordUntil()) {
            if (const Station* station = find(other.list, other.channel)) {
                alongside << station;
            }
        }
    }
    return connectionWarning(*recorded, alongside, with_.lists.allowedConnections());
}

// The guide was read again: each channel with something scheduled asks for its programmes
// around them.
void ScheduleWiring::guideChanged() {
    std::map<int, std::pair<qint64, qint64>> spans;
    for (const ScheduledRecording& entry : schedule_.entries()) {
        if (!entry.isOpen() || entry.list != with_.guide.list()) {
            continue;
        }
        const int index = with_.catalogue.FindStation(entry.channel);
        if (index <= 0) {
            continue;
        }
        const qint64 from = entry.start - RecordingScheduler::MatchWindowSeconds;
        const qint64 to = entry.start + RecordingScheduler::MatchWindowSeconds + 1;
        auto [at, added] = spans.try_emplace(index, from, to);
        if (!added) {
            at->second = {std::min(at->second.first, from), std::max(at->second.second, to)};
        }
    }
    for (const auto& [index, span] : spans) {
        with_.guide.requestProgrammes(index, span.first, span.second);
    }
}

void ScheduleWiring::programmesReady(int channel, const std::vector<Programme>& programmes) {
    if (channel > 0 && channel <= with_.catalogue.StationCount()) {
        scheduler_->retime(with_.guide.list(), with_.catalogue.station(channel).Name, programmes);
    }
}

void ScheduleWiring::finished(const ScheduledRecording& entry, qint64 bytes) {
    const bool done = entry.state == ScheduledRecording::State::Done;
    with_.made.add({.path = entry.path,
                    .channel = entry.channel,
                    .programme = entry.programme,
                    .start = QDateTime::fromSecsSinceEpoch(entry.recordFrom()),
                    .lengthMs = done ? (entry.recordUntil() - entry.recordFrom()) * 1000 : 0,
                    .bytes = bytes,
                    .failure = done ? QString() : entry.reason});
}

} // namespace orvanto
