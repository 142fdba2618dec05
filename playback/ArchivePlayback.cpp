#include "playback/ArchivePlayback.h"

#include "catalogue/Catalogue.h"
#include "core/Clock.h"
#include "core/MessageSink.h"
#include "playback/FailoverPlayer.h"
#include "playback/MediaPlayer.h"
#include "playback/PlayState.h"

#include <algorithm>

namespace orvanto {

namespace {

constexpr qint64 DaySeconds = 24 * 3600;

// Whether `catchup` reaches back to a programme that started at `start`.
bool archiveReaches(const Catchup& catchup, qint64 start, qint64 now) {
    return catchup.enabled() && start < now && start >= now - catchup.days * DaySeconds;
}

QString channelText(const QString& name, const QString& text) {
    return QStringLiteral("Kanali '") + name + QStringLiteral("': ") + text;
}

} // namespace

ArchivePlayback::ArchivePlayback(const Catalogue& catalogue, FailoverPlayer& failover,
                                 MediaPlayer& player, MessageSink& messages, const Clock& clock,
                                 QObject* parent)
    : QObject(parent), catalogue_(catalogue), failover_(failover), player_(player),
      messages_(messages), clock_(clock) {
    connect(&failover_, &FailoverPlayer::stationAccepted, this, &ArchivePlayback::onAccepted);
    connect(&failover_, &FailoverPlayer::archiveEnded, this, &ArchivePlayback::onEnded);
    connect(&failover_, &FailoverPlayer::archiveBrokeOff, this, &ArchivePlayback::onBrokeOff);
    connect(&failover_, &FailoverPlayer::channelChanged, this, &ArchivePlayback::changed);
    connect(&player_, &MediaPlayer::playStateChanged, this, [this](int state) {
        // Where a stream that stalls was, so that an archive that breaks off goes on from there.
        if (isActive() && accepted_ >= 0 && state == PlayState::Buffering) {
            resumeAt_ = programme().start + positionSeconds();
        }
    });
}

ArchivePlayback::~ArchivePlayback() = default;

bool ArchivePlayback::reaches(const Station& station, qint64 start, qint64 now) {
    for (int slot = 0; slot < station.urlCount(); ++slot) {
        if (archiveReaches(station.StreamUrls.catchup(static_cast<size_t>(slot)), start, now)) {
            return true;
        }
    }
    return false;
}

qint64 ArchivePlayback::now() const {
    return clock_.currentDateTime().toSecsSinceEpoch();
}

bool ArchivePlayback::play(const QString& name, std::vector<ArchiveProgramme> programmes, int index,
                           qint64 offsetSeconds) {
    if (index < 0 || index >= static_cast<int>(programmes.size())) {
        return false;
    }
    channel_ = name;
    programmes_ = std::move(programmes);
    index_ = index;
    const ArchiveProgramme& chosen = programmes_[static_cast<size_t>(index_)];
    return start(chosen.start + std::clamp<qint64>(offsetSeconds, 0, chosen.stop - chosen.start),
                 true);
}

bool ArchivePlayback::start(qint64 from, bool reportProblems) {
    const int stationIndex = catalogue_.FindStation(channel_);
    if (stationIndex == Catalogue::NotFound || index_ < 0) {
        return false;
    }
    const Station& station = catalogue_.station(stationIndex);
    const ArchiveProgramme& chosen = programmes_[static_cast<size_t>(index_)];
    const qint64 at = now();
    ArchiveRequest request;
    request.start = chosen.start;
    request.stop = chosen.stop;
    request.from = from;
    request.now = at;
    request.catchupId = chosen.catchupId;
    std::vector<Candidate> candidates;
    std::vector<StreamAddress> addresses;
    QString problem;
    for (int slot = 0; slot < station.urlCount(); ++slot) {
        const auto s = static_cast<size_t>(slot);
        const Catchup& catchup = station.StreamUrls.catchup(s);
        if (!archiveReaches(catchup, chosen.start, at)) {
            continue;
        }
        const StreamAddress& live = station.StreamUrls.address(s);
        ArchiveAddress address = archiveAddress(live.url, catchup, request);
        if (address.url.isEmpty()) {
            if (problem.isEmpty()) {
                problem = address.problem;
            }
            continue;
        }
        addresses.emplace_back(address.url, live.headers);
        candidates.push_back({slot, std::move(address)});
    }
    if (candidates.empty()) {
        if (reportProblems) {
            messages_.showMessage(
                MessageSink::ErrorTitle(),
                channelText(channel_, problem.isEmpty()
                                          ? QStringLiteral("the archive does not reach back to "
                                                           "this programme")
                                          : problem),
                MessageSink::Icon::Exclamation);
        }
        return false;
    }
    candidates_ = std::move(candidates);
    accepted_ = -1;
    from_ = from;
    resumeAt_ = from;
    failover_.PlayArchive(channel_, std::move(addresses));
    Q_EMIT changed();
    return true;
}

bool ArchivePlayback::isActive() const {
    return index_ >= 0 && failover_.isArchive() && failover_.channel() == channel_ &&
           !channel_.isEmpty();
}

const ArchiveProgramme& ArchivePlayback::programme() const {
    static const ArchiveProgramme none;
    return index_ >= 0 ? programmes_[static_cast<size_t>(index_)] : none;
}

qint64 ArchivePlayback::lengthSeconds() const {
    return isActive() ? programme().stop - programme().start : 0;
}

qint64 ArchivePlayback::positionSeconds() const {
    if (!isActive()) {
        return 0;
    }
    // While the archive is asked (again), where it is asked from.
    const qint64 media = accepted_ >= 0 ? player_.positionMs() / 1000 : 0;
    const qint64 into = from_ - programme().start + media;
    return std::clamp<qint64>(into, 0, lengthSeconds());
}

bool ArchivePlayback::canSeek() const {
    return isActive() && accepted_ >= 0 &&
           (candidates_[static_cast<size_t>(accepted_)].address.seeksByAddress ||
            player_.canSeek());
}

bool ArchivePlayback::seek(qint64 seconds) {
    if (!canSeek()) {
        return false;
    }
    const qint64 to = std::clamp<qint64>(seconds, 0, qMax<qint64>(0, lengthSeconds() - 1));
    if (candidates_[static_cast<size_t>(accepted_)].address.seeksByAddress) {
        if (!start(programme().start + to, true)) {
            return false;
        }
    } else if (!player_.seek((to - (from_ - programme().start)) * 1000)) {
        return false;
    }
    Q_EMIT sought(to);
    return true;
}

void ArchivePlayback::backToLive() {
    const QString name = channel_;
    index_ = -1;
    candidates_.clear();
    accepted_ = -1;
    if (!name.isEmpty() && catalogue_.FindStation(name) != Catalogue::NotFound) {
        failover_.SelectStation(name, 0);
    }
    Q_EMIT changed();
}

void ArchivePlayback::onAccepted(const QString& name, int index) {
    if (failover_.isArchive() && name == channel_ && index >= 0 &&
        index < static_cast<int>(candidates_.size())) {
        accepted_ = index;
        Q_EMIT changed();
    }
}

void ArchivePlayback::onEnded() {
    // The next programme follows, where it has begun; after the last, the channel goes on live.
    const qint64 at = now();
    while (index_ + 1 < static_cast<int>(programmes_.size())) {
        ++index_;
        if (programmes_[static_cast<size_t>(index_)].start >= at) {
            break;
        }
        if (start(programmes_[static_cast<size_t>(index_)].start, false)) {
            return;
        }
    }
    backToLive();
}

void ArchivePlayback::onBrokeOff() {
    if (!start(resumeAt_, false)) {
        backToLive();
    }
}

} // namespace orvanto
