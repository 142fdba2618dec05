#include "guide/GuideWorker.h"

#include "core/ShownAddress.h"
#include "guide/GuideFetch.h"
#include "guide/GuideSchedule.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

QString shownTime(qint64 secs) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(secs), QLocale::ShortFormat);
}

// A guide as the browser names it: its file's name, or the address.
QString shortName(const QUrl& location) {
    const QString file = location.fileName();
    return file.isEmpty() ? location.toDisplayString() : file;
}

} // namespace

GuideWorker::GuideWorker(const QString& folder, GuideService* service)
    : folder_(folder), service_(service) {}

GuideWorker::~GuideWorker() {
    fetch_.reset(); // cancels: the store keeps its guide
}

template <typename Delivery> void GuideWorker::deliver(Delivery delivery) {
    QMetaObject::invokeMethod(service_, std::move(delivery), Qt::QueuedConnection);
}

void GuideWorker::showList(int generation, const QList<QUrl>& sources,
                           std::vector<ListedChannel> channels, qint64 now, qint64 keepSeconds) {
    generation_ = generation;
    now_ = now;
    keepSeconds_ =
        std::clamp(keepSeconds, GuideLimits::DefaultKeepSeconds, GuideLimits::MaxKeepSeconds);
    channels_ = std::move(channels);
    // The same guides again (the list shown anew, its channels perhaps changed): what is being
    // read goes on.
    const auto same = [&] {
        if (sources_.size() != size_t(std::min<qsizetype>(sources.size(), MaxSources))) {
            return false;
        }
        for (size_t i = 0; i < sources_.size(); ++i) {
            if (sources_[i].location != sources[qsizetype(i)]) {
                return false;
            }
        }
        return true;
    };
    if (same()) {
        rematch();
        sendSchedule(now);
        queueDue(now);
        startNextFetch();
        sendStatus();
        return;
    }
    fetch_.reset();
    queue_.clear();
    sources_.clear();
    for (const QUrl& location : sources) {
        if (sources_.size() >= MaxSources) {
            break;
        }
        Source source;
        source.location = location;
        // (A portal's guide address holds the account's password: it is kept and shown without.)
        source.name = location.isLocalFile() ? location.toLocalFile()
                                             : shownAddress(location.toString(QUrl::FullyEncoded));
        loadSource(source);
        sources_.push_back(std::move(source));
    }
    rematch();
    sendSchedule(now);
    queueDue(now);
    startNextFetch();
    sendStatus();
}

void GuideWorker::loadSource(Source& source) {
    if (!source.reader) {
        source.reader = std::make_unique<GuideStore>();
        if (!source.reader->open(GuideStore::fileFor(folder_, source.name))) {
            source.info = {};
            source.info.failure = u"its store cannot be opened (%1)"_s.arg(source.reader->error());
            return;
        }
    }
    source.reader->beginReading();
    source.info = source.reader->info();
    source.index = GuideChannelIndex(source.reader->channels());
    source.reader->endReading();
}

bool GuideWorker::isDue(const Source& source, qint64 now) const {
    if (source.info.failedAt > 0 && now < source.info.failedAt + RetrySeconds &&
        now >= source.info.failedAt) {
        return false;
    }
    if (source.info.fetched == 0 || now >= source.info.due || now < source.info.fetched) {
        return true;
    }
    return source.location.isLocalFile() &&
           GuideFetch::validatorOf(source.location) != source.info.validator;
}

void GuideWorker::queueDue(qint64 now) {
    for (size_t i = 0; i < sources_.size(); ++i) {
        const bool waiting = std::find(queue_.begin(), queue_.end(), i) != queue_.end();
        if (!waiting && !(fetch_ && fetching_ == i) && isDue(sources_[i], now)) {
            queue_.push_back(i);
        }
    }
}

void GuideWorker::refreshDue(int generation, qint64 now) {
    if (generation != generation_) {
        return;
    }
    now_ = now;
    queueDue(now);
    if (!fetch_) {
        startNextFetch();
    }
    sendStatus();
}

void GuideWorker::startNextFetch() {
    while (!fetch_ && !queue_.empty()) {
        const size_t index = queue_.front();
        queue_.pop_front();
        Source& source = sources_[index];
        if (!source.writer) {
            source.writer = std::make_unique<GuideStore>();
            if (!source.writer->open(GuideStore::fileFor(folder_, source.name))) {
                source.info.failure =
                    u"its store cannot be opened (%1)"_s.arg(source.writer->error());
                source.writer.reset();
                continue;
            }
        }
        fetching_ = index;
        done_ = 0;
        total_ = -1;
        GuideLimits limits;
        limits.keepSeconds = keepSeconds_;
        fetch_ = std::make_unique<GuideFetch>(*source.writer, source.name, source.location, now_,
                                              limits);
        connect(fetch_.get(), &GuideFetch::progress, this, [this](qint64 done, qint64 total) {
            done_ = done;
            total_ = total;
            sendStatus();
        });
        connect(fetch_.get(), &GuideFetch::finished, this, &GuideWorker::fetchFinished);
        fetch_->start();
    }
}

void GuideWorker::fetchFinished() {
    const GuideFetch::Result result = fetch_->result();
    // Deleted once the signal has returned.
    fetch_.release()->deleteLater();
    Source& source = sources_[fetching_];
    if (!result.outcome.committed) {
        if (!result.unchanged) {
            source.writer->recordFailure(result.outcome.failure, now_);
        }
        // The guide kept is shown on: without what has ended since.
        source.writer->prune(now_ - keepSeconds_);
    }
    loadSource(source);
    if (result.outcome.committed) {
        rematch();
        sendSchedule(now_);
    }
    startNextFetch();
    sendStatus();
}

void GuideWorker::rematch() {
    std::vector<GuideChannelIndex> indexes;
    indexes.reserve(sources_.size());
    for (const Source& source : sources_) {
        indexes.push_back(source.index);
    }
    matches_ = matchChannels(channels_, indexes);
    matched_ = static_cast<int>(std::count_if(matches_.begin(), matches_.end(),
                                              [](const GuideMatch& m) { return m.matched(); }));
}

void GuideWorker::refreshSchedule(int generation, qint64 now) {
    if (generation == generation_) {
        now_ = now;
        sendSchedule(now);
    }
}

void GuideWorker::sendSchedule(qint64 now) {
    auto schedule = std::make_shared<GuideSchedule>(static_cast<int>(channels_.size()));
    for (Source& source : sources_) {
        source.reader->beginReading();
    }
    std::vector<ProgrammeSlot> slots;
    for (size_t i = 0; i < matches_.size(); ++i) {
        const GuideMatch& match = matches_[i];
        if (!match.matched()) {
            continue;
        }
        slots.clear();
        sources_[static_cast<size_t>(match.source)].reader->upcoming(match.key, now,
                                                                     GuideSchedule::Depth, slots);
        schedule->add(static_cast<int>(i) + 1, slots);
    }
    for (Source& source : sources_) {
        source.reader->endReading();
    }
    deliver([service = service_, generation = generation_,
             schedule = std::shared_ptr<const GuideSchedule>(std::move(schedule))] {
        service->deliverSchedule(generation, schedule);
    });
}

void GuideWorker::day(int generation, int channel, qint64 from, qint64 to, bool forRecordings) {
    if (generation != generation_) {
        return;
    }
    std::vector<Programme> programmes;
    if (channel >= 1 && static_cast<size_t>(channel) <= matches_.size()) {
        const GuideMatch& match = matches_[static_cast<size_t>(channel) - 1];
        if (match.matched()) {
            programmes =
                sources_[static_cast<size_t>(match.source)].reader->between(match.key, from, to);
        }
    }
    deliver(
        [service = service_, generation, channel, programmes = std::move(programmes),
         forRecordings] { service->deliverDay(generation, channel, programmes, forRecordings); });
}

qint64 GuideWorker::nextDue() const {
    qint64 due = 0;
    for (const Source& source : sources_) {
        qint64 at = source.info.fetched == 0 ? 0 : source.info.due;
        if (source.info.failedAt > 0) {
            at = std::max(at, source.info.failedAt + RetrySeconds);
        }
        if (at > 0 && (due == 0 || at < due)) {
            due = at;
        }
    }
    return due;
}

QString GuideWorker::statusText() const {
    QStringList parts;
    bool anyStored = false;
    qint64 newest = 0;
    for (const Source& source : sources_) {
        anyStored = anyStored || source.info.fetched > 0;
        newest = std::max(newest, source.info.fetched);
    }
    if (fetch_) {
        parts << u"Reading the guide %1"_s.arg(shortName(sources_[fetching_].location));
    }
    if (anyStored) {
        const int channels = static_cast<int>(channels_.size());
        parts << (matched_ == 0
                      ? u"The guide matches none of the list's %1 channels"_s.arg(channels)
                      : u"The guide of %1 matches %2 of %3 channels"_s.arg(shownTime(newest))
                            .arg(matched_)
                            .arg(channels));
    }
    for (const Source& source : sources_) {
        const QString name = shortName(source.location);
        if (!source.info.failure.isEmpty() && !(fetch_ && &source == &sources_[fetching_])) {
            parts << (source.info.fetched > 0
                          ? u"%1 could not be read again (%2): the guide of %3 is shown"_s.arg(
                                name, source.info.failure, shownTime(source.info.fetched))
                          : u"%1 could not be read: %2"_s.arg(name, source.info.failure));
        }
        if (!source.info.problem.isEmpty() && source.info.fetched > 0) {
            parts << u"%1 was read up to a fault, %2"_s.arg(name, source.info.problem);
        }
    }
    return parts.join(u"\n"_s);
}

void GuideWorker::sendStatus() {
    GuideStatus status;
    status.hasGuide = !sources_.empty();
    status.busy = fetch_ != nullptr;
    status.done = done_;
    status.total = total_;
    status.matched = matched_;
    status.channels = static_cast<int>(channels_.size());
    status.text = statusText();
    deliver([service = service_, generation = generation_, status, due = nextDue()] {
        service->deliverStatus(generation, status, due);
    });
}

} // namespace orvanto
