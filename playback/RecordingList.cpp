#include "playback/RecordingList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace orvanto {

namespace {
const QString Group = QStringLiteral("recordings");
} // namespace

RecordingList::RecordingList(QString file, QObject* parent)
    : QObject(parent), file_(std::move(file)) {
    load();
}

void RecordingList::add(const Entry& entry) {
    entries_.prepend(entry);
    if (entries_.size() > MaxEntries) {
        entries_.resize(MaxEntries);
    }
    save();
    Q_EMIT changed();
}

bool RecordingList::remove(int index, QString* error) {
    if (index < 0 || index >= entries_.size()) {
        return false;
    }
    const QString path = entries_[index].path;
    if (!path.isEmpty() && QFileInfo::exists(path) && !QFile::remove(path)) {
        *error = QStringLiteral("%1 cannot be deleted.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    entries_.removeAt(index);
    save();
    Q_EMIT changed();
    return true;
}

void RecordingList::load() {
    QSettings settings(file_, QSettings::IniFormat);
    const int size = qMin(settings.beginReadArray(Group), MaxEntries);
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        Entry entry{
            .path = settings.value(QStringLiteral("path")).toString(),
            .channel = settings.value(QStringLiteral("channel")).toString(),
            .programme = settings.value(QStringLiteral("programme")).toString(),
            .start = settings.value(QStringLiteral("start")).toDateTime(),
            .lengthMs = settings.value(QStringLiteral("length")).toLongLong(),
            .bytes = settings.value(QStringLiteral("bytes")).toLongLong(),
            .failure = settings.value(QStringLiteral("failure")).toString(),
        };
        if (entry.path.isEmpty() ? !entry.failure.isEmpty() : QFileInfo::exists(entry.path)) {
            entries_ << entry;
        }
    }
    settings.endArray();
}

void RecordingList::save() const {
    QSettings settings(file_, QSettings::IniFormat);
    settings.remove(Group);
    settings.beginWriteArray(Group, int(entries_.size()));
    for (int i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        settings.setArrayIndex(i);
        settings.setValue(QStringLiteral("path"), entry.path);
        settings.setValue(QStringLiteral("channel"), entry.channel);
        settings.setValue(QStringLiteral("programme"), entry.programme);
        settings.setValue(QStringLiteral("start"), entry.start);
        settings.setValue(QStringLiteral("length"), entry.lengthMs);
        settings.setValue(QStringLiteral("bytes"), entry.bytes);
        settings.setValue(QStringLiteral("failure"), entry.failure);
    }
    settings.endArray();
}

} // namespace orvanto
