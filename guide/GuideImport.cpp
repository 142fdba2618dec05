#include "guide/GuideImport.h"

#include <QLocale>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// Unpacked bytes are handed on in pieces of this size.
constexpr qsizetype PieceBytes = 256 * 1024;
// Bytes enough to tell every packing apart.
constexpr qsizetype HeadBytes = 6;

QString mebibytes(qint64 bytes) {
    return QLocale(QLocale::English).toString(bytes >> 20) + u" MiB"_s;
}

} // namespace

GuideImport::GuideImport(GuideStore& store, qint64 now, const GuideLimits& limits)
    : store_(store), now_(now), limits_(limits), reader_(*this) {}

GuideImport::~GuideImport() {
    cancel();
}

bool GuideImport::begin() {
    begun_ = store_.begin();
    if (!begun_) {
        failure_ = u"the guide cannot be stored (%1)"_s.arg(store_.error());
    }
    return begun_;
}

bool GuideImport::feed(QByteArrayView bytes) {
    if (stopped_ || !begun_) {
        return false;
    }
    rawBytes_ += bytes.size();
    if (rawBytes_ > limits_.rawBytes) {
        fault(u"the guide is larger than %1; the rest of it is left out"_s.arg(
            mebibytes(limits_.rawBytes)));
        return false;
    }
    if (!decompressor_) {
        head_ += bytes;
        if (head_.size() < HeadBytes) {
            return true;
        }
        decompressor_ = std::make_unique<Decompressor>(detectCompression(head_));
        const QByteArray head = std::exchange(head_, {});
        return unpack(head);
    }
    return unpack(bytes);
}

bool GuideImport::unpack(QByteArrayView bytes) {
    decompressor_->setInput(bytes);
    for (;;) {
        if (!decompressor_->read(piece_, PieceBytes)) {
            fault(decompressor_->error());
            return false;
        }
        if (piece_.isEmpty()) {
            return true;
        }
        if (!sift(piece_)) {
            return false;
        }
    }
}

bool GuideImport::sift(const QByteArray& xml) {
    xmlBytes_ += xml.size();
    if (xmlBytes_ > limits_.guideBytes) {
        fault(u"the guide unpacks to more than %1; the rest of it is left out"_s.arg(
            mebibytes(limits_.guideBytes)));
        return false;
    }
    return sifter_.feed(xml) && !stopped_;
}

bool GuideImport::through(QByteArrayView xml) {
    if (!reader_.feed(xml)) {
        fault(reader_.error());
        return false;
    }
    return !stopped_;
}

bool GuideImport::programme(QByteArrayView element, quint64 digest, bool mustRead) {
    if (!mustRead) {
        const qint64 kept = store_.keep(digest, now_ - limits_.keepSeconds);
        if (kept > 0) {
            programmes_ += kept;
            kept_ += kept;
            return belowProgrammeBound();
        }
    }
    digest_ = digest;
    const bool goesOn = through(element);
    digest_ = 0;
    return goesOn;
}

bool GuideImport::belowProgrammeBound() {
    if (programmes_ <= limits_.programmes) {
        return true;
    }
    fault(u"the guide has more than %1 programmes; the rest of it is left out"_s.arg(
        QLocale(QLocale::English).toString(limits_.programmes)));
    return false;
}

GuideImport::Outcome GuideImport::finish(GuideInfo info) {
    Outcome outcome;
    if (!begun_) {
        outcome.failure = failure_;
        return outcome;
    }
    if (!stopped_) {
        if (!decompressor_) {
            // Fewer bytes than it takes to tell the packing: plain text, if anything.
            decompressor_ = std::make_unique<Decompressor>(Compression::None);
            const QByteArray head = std::exchange(head_, {});
            unpack(head);
        }
        if (!stopped_) {
            decompressor_->endInput();
            unpack({});
        }
        if (!stopped_) {
            sifter_.finish();
        }
        if (!stopped_ && !decompressor_->complete()) {
            fault(decompressor_->error());
        }
        if (!stopped_ && !reader_.finish()) {
            fault(reader_.error());
        }
    }
    flushPending();
    // What is committed: the channels met and those kept; else the channels met.
    outcome.channels = keys_.size();
    if (programmes_ > 0) {
        store_.dropLeftOver();
        outcome.channels = store_.channelCount();
    }
    outcome.programmes = programmes_;
    outcome.kept = kept_;
    outcome.problem = problem_;
    if (programmes_ == 0) {
        store_.rollback();
        begun_ = false;
        outcome.failure = problem_.isEmpty() ? u"it holds no programme of the last day or later"_s
                                             : u"nothing of it could be read (%1)"_s.arg(problem_);
        return outcome;
    }
    info.channels = outcome.channels;
    info.programmes = outcome.programmes;
    info.problem = problem_;
    begun_ = false;
    outcome.committed = store_.commit(info);
    if (!outcome.committed) {
        outcome.failure = u"the guide cannot be stored (%1)"_s.arg(store_.error());
    }
    return outcome;
}

void GuideImport::cancel() {
    if (begun_) {
        begun_ = false;
        store_.rollback();
    }
}

void GuideImport::fault(const QString& problem) {
    stopped_ = true;
    if (problem_.isEmpty()) {
        problem_ = problem;
    }
}

qint64 GuideImport::keyFor(const QString& id, const QStringList& names) {
    const auto it = keys_.constFind(id);
    if (it != keys_.cend()) {
        return *it;
    }
    if (keys_.size() >= limits_.channels) {
        return 0;
    }
    const qint64 key = store_.addChannel(id, names);
    keys_.insert(id, key);
    return key;
}

void GuideImport::channel(XmltvChannel&& channel) {
    if (keyFor(channel.id, channel.names) == 0) {
        tooManyChannels();
    }
}

void GuideImport::tooManyChannels() {
    fault(
        u"the guide has more than %1 channels; the rest of it is left out"_s.arg(limits_.channels));
}

void GuideImport::programme(XmltvProgramme&& programme) {
    if (stopped_) {
        return;
    }
    const qint64 key = keyFor(programme.channel, {});
    if (key == 0) {
        tooManyChannels();
        return;
    }
    Programme& p = programme.programme;
    const auto waiting = pending_.find(key);
    if (waiting != pending_.end()) {
        auto [before, digest] = std::move(*waiting);
        pending_.erase(waiting);
        before.stop = p.start > before.start && p.start - before.start <= MaxGap
                          ? p.start
                          : before.start + UnknownLength;
        store(key, before, digest);
    }
    if (!programme.hasStop) {
        pending_.insert(key, {std::move(p), digest_});
        return;
    }
    store(key, p, digest_);
}

void GuideImport::store(qint64 key, const Programme& programme, quint64 digest) {
    if (programme.stop < now_ - limits_.keepSeconds || stopped_) {
        return;
    }
    if (programmes_ >= limits_.programmes) {
        fault(u"the guide has more than %1 programmes; the rest of it is left out"_s.arg(
            QLocale(QLocale::English).toString(limits_.programmes)));
        return;
    }
    if (store_.addProgramme(key, programme, digest)) {
        ++programmes_;
    }
}

void GuideImport::flushPending() {
    const bool wasStopped = std::exchange(stopped_, false);
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        it->first.stop = it->first.start + UnknownLength;
        store(it.key(), it->first, it->second);
    }
    pending_.clear();
    stopped_ = wasStopped || stopped_;
}

} // namespace orvanto
