#include "playback/RecordingSchedule.h"

#include <QSettings>
#include <algorithm>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

const QString Group = u"scheduled"_s;

const QStringList StateNames{u"scheduled"_s, u"recording"_s, u"done"_s, u"failed"_s};

} // namespace

RecordingSchedule::RecordingSchedule(QString file, QObject* parent)
    : QObject(parent), file_(std::move(file)) {
    load();
}

const ScheduledRecording* RecordingSchedule::find(quint64 id) const {
    for (const ScheduledRecording& entry : entries_) {
        if (entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

bool RecordingSchedule::valid(const ScheduledRecording& entry) {
    return !entry.channel.trimmed().isEmpty() && entry.start > 0 && entry.stop > entry.start &&
           entry.stop - entry.start <= MaxLengthSeconds && entry.paddingBefore >= 0 &&
           entry.paddingBefore <= MaxPaddingSeconds && entry.paddingAfter >= 0 &&
           entry.paddingAfter <= MaxPaddingSeconds;
}

quint64 RecordingSchedule::add(ScheduledRecording entry) {
    if (!valid(entry)) {
        return 0;
    }
    if (entries_.size() >= MaxEntries) {
        // The one that ended first makes room; what is still to come stays.
        auto over =
            std::ranges::find_if(entries_, [](const ScheduledRecording& e) { return !e.isOpen(); });
        if (over == entries_.end()) {
            return 0;
        }
        entries_.erase(over);
    }
    entry.id = ++lastId_;
    entries_.append(entry);
    sort();
    save();
    Q_EMIT changed();
    return entry.id;
}

bool RecordingSchedule::update(const ScheduledRecording& entry) {
    auto at = std::ranges::find(entries_, entry.id, &ScheduledRecording::id);
    if (at == entries_.end() || !valid(entry)) {
        return false;
    }
    if (*at == entry) {
        return true;
    }
    *at = entry;
    sort();
    save();
    Q_EMIT changed();
    return true;
}

void RecordingSchedule::remove(quint64 id) {
    if (entries_.removeIf([id](const ScheduledRecording& e) { return e.id == id; }) > 0) {
        save();
        Q_EMIT changed();
    }
}

void RecordingSchedule::sort() {
    std::ranges::stable_sort(entries_, {}, &ScheduledRecording::start);
}

void RecordingSchedule::load() {
    QSettings settings(file_, QSettings::IniFormat);
    const int size = qMin(settings.beginReadArray(Group), MaxEntries);
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        bool ok = false;
        ScheduledRecording entry{
            .id = settings.value(u"id"_s).toULongLong(&ok),
            .list = settings.value(u"list"_s).toString(),
            .channel = settings.value(u"channel"_s).toString(),
            .programme = settings.value(u"programme"_s).toString(),
            .start = settings.value(u"start"_s).toLongLong(),
            .stop = settings.value(u"stop"_s).toLongLong(),
            .paddingBefore = settings.value(u"before"_s).toLongLong(),
            .paddingAfter = settings.value(u"after"_s).toLongLong(),
            .state = ScheduledRecording::State::Scheduled,
            .reason = settings.value(u"reason"_s).toString(),
            .path = settings.value(u"path"_s).toString(),
        };
        const qsizetype state = StateNames.indexOf(settings.value(u"state"_s).toString());
        if (!ok || entry.id == 0 || state < 0 || !valid(entry) || find(entry.id) != nullptr) {
            continue;
        }
        entry.state = static_cast<ScheduledRecording::State>(state);
        lastId_ = std::max(lastId_, entry.id);
        entries_.append(entry);
    }
    settings.endArray();
    sort();
}

void RecordingSchedule::save() const {
    QSettings settings(file_, QSettings::IniFormat);
    settings.remove(Group);
    settings.beginWriteArray(Group, int(entries_.size()));
    for (int i = 0; i < entries_.size(); ++i) {
        const ScheduledRecording& entry = entries_[i];
        settings.setArrayIndex(i);
        settings.setValue(u"id"_s, entry.id);
        settings.setValue(u"list"_s, entry.list);
        settings.setValue(u"channel"_s, entry.channel);
        settings.setValue(u"programme"_s, entry.programme);
        settings.setValue(u"start"_s, entry.start);
        settings.setValue(u"stop"_s, entry.stop);
        settings.setValue(u"before"_s, entry.paddingBefore);
        settings.setValue(u"after"_s, entry.paddingAfter);
        settings.setValue(u"state"_s, StateNames[static_cast<int>(entry.state)]);
        settings.setValue(u"reason"_s, entry.reason);
        settings.setValue(u"path"_s, entry.path);
    }
    settings.endArray();
}

} // namespace orvanto
