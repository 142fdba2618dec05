#include "app/ViewerSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

const QString LastListKey = u"lastList"_s;
const QString AccountsKey = u"accounts"_s;
const QString VolumeKey = u"volume"_s;
const QString FavouritesArray = u"favourites"_s;
const QString ListKey = u"list"_s;
const QString ChannelsKey = u"channels"_s;
const QString GuidesArray = u"guides"_s;
const QString AddressKey = u"address"_s;
// A guide address is an address or a path: longer ones are none.
constexpr qsizetype MaxAddressLength = 4096;

// Favourites, and guide addresses, of this many lists at most are kept, the ones saved last.
constexpr int MaxLists = 50;
// A saved favourites entry holds at most this many names (the pages hold 90).
constexpr int MaxNames = 90;

QString describe(QSettings::Status status) {
    switch (status) {
    case QSettings::AccessError:
        return u"it cannot be read or written"_s;
    case QSettings::FormatError:
        return u"it is damaged"_s;
    case QSettings::NoError:
        break;
    }
    return {};
}

struct SavedList {
    QString list;
    QStringList names;
};

} // namespace

const QString ViewerSettings::BuiltinList = u"builtin:"_s;

ViewerSettings::ViewerSettings(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isReadable())) {
        warning_ = u"The settings file %1 is not used: it cannot be read."_s.arg(path);
        return;
    }
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    settings->sync(); // reads the file, and reports what was wrong with it
    if (settings->status() != QSettings::NoError) {
        warning_ =
            u"The settings file %1 is not used: %2."_s.arg(path, describe(settings->status()));
        return;
    }
    settings_ = std::move(settings);
}

ViewerSettings::~ViewerSettings() {
    save();
}

QString ViewerSettings::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/orvanto-tv/orvanto-tv.conf"_s;
}

QString ViewerSettings::lastList() const {
    if (!settings_) {
        return {};
    }
    const QVariant value = settings_->value(LastListKey);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void ViewerSettings::setLastList(const QString& list) {
    if (settings_) {
        settings_->setValue(LastListKey, list);
    }
}

QStringList ViewerSettings::accounts() const {
    if (!settings_) {
        return {};
    }
    const QVariant value = settings_->value(AccountsKey);
    if (value.typeId() == QMetaType::QString) {
        return {value.toString()}; // a list of one is written as a plain value
    }
    return value.typeId() == QMetaType::QStringList ? value.toStringList() : QStringList();
}

void ViewerSettings::setAccounts(const QStringList& accounts) {
    if (settings_) {
        settings_->setValue(AccountsKey, accounts);
    }
}

std::optional<int> ViewerSettings::volume() const {
    if (!settings_) {
        return std::nullopt;
    }
    bool ok = false;
    const int volume = settings_->value(VolumeKey).toString().toInt(&ok);
    if (!ok || volume < 0 || volume > 100) {
        return std::nullopt;
    }
    return volume;
}

void ViewerSettings::setVolume(int volume) {
    if (settings_) {
        settings_->setValue(VolumeKey, std::clamp(volume, 0, 100));
    }
}

QStringList ViewerSettings::favourites(const QString& list) const {
    if (!settings_ || list.isEmpty()) {
        return {};
    }
    QStringList names;
    const int size = std::min(settings_->beginReadArray(FavouritesArray), MaxLists);
    for (int i = 0; i < size; ++i) {
        settings_->setArrayIndex(i);
        if (settings_->value(ListKey).toString() == list) {
            names = settings_->value(ChannelsKey).toStringList().mid(0, MaxNames);
        }
    }
    settings_->endArray();
    return names;
}

void ViewerSettings::setFavourites(const QString& list, const QStringList& names) {
    if (!settings_ || list.isEmpty()) {
        return;
    }
    std::vector<SavedList> saved;
    const int size = std::min(settings_->beginReadArray(FavouritesArray), MaxLists);
    for (int i = 0; i < size; ++i) {
        settings_->setArrayIndex(i);
        SavedList entry{settings_->value(ListKey).toString(),
                        settings_->value(ChannelsKey).toStringList().mid(0, MaxNames)};
        if (!entry.list.isEmpty() && entry.list != list) {
            saved.push_back(std::move(entry));
        }
    }
    settings_->endArray();
    if (!names.isEmpty()) {
        saved.push_back({list, names.mid(0, MaxNames)});
    }
    if (saved.size() > static_cast<size_t>(MaxLists)) {
        saved.erase(saved.begin(), saved.end() - MaxLists);
    }
    settings_->remove(FavouritesArray);
    settings_->beginWriteArray(FavouritesArray, static_cast<int>(saved.size()));
    for (size_t i = 0; i < saved.size(); ++i) {
        settings_->setArrayIndex(static_cast<int>(i));
        settings_->setValue(ListKey, saved[i].list);
        settings_->setValue(ChannelsKey, saved[i].names);
    }
    settings_->endArray();
}

QString ViewerSettings::guideAddress(const QString& list) const {
    if (!settings_ || list.isEmpty()) {
        return {};
    }
    QString address;
    const int size = std::min(settings_->beginReadArray(GuidesArray), MaxLists);
    for (int i = 0; i < size; ++i) {
        settings_->setArrayIndex(i);
        if (settings_->value(ListKey).toString() == list) {
            address = settings_->value(AddressKey).toString();
        }
    }
    settings_->endArray();
    return address.size() <= MaxAddressLength ? address : QString();
}

void ViewerSettings::setGuideAddress(const QString& list, const QString& address) {
    if (!settings_ || list.isEmpty()) {
        return;
    }
    std::vector<std::pair<QString, QString>> saved;
    const int size = std::min(settings_->beginReadArray(GuidesArray), MaxLists);
    for (int i = 0; i < size; ++i) {
        settings_->setArrayIndex(i);
        const QString other = settings_->value(ListKey).toString();
        if (!other.isEmpty() && other != list) {
            saved.emplace_back(other, settings_->value(AddressKey).toString());
        }
    }
    settings_->endArray();
    const QString kept = address.trimmed().left(MaxAddressLength);
    if (!kept.isEmpty()) {
        saved.emplace_back(list, kept);
    }
    if (saved.size() > static_cast<size_t>(MaxLists)) {
        saved.erase(saved.begin(), saved.end() - MaxLists);
    }
    settings_->remove(GuidesArray);
    settings_->beginWriteArray(GuidesArray, static_cast<int>(saved.size()));
    for (size_t i = 0; i < saved.size(); ++i) {
        settings_->setArrayIndex(static_cast<int>(i));
        settings_->setValue(ListKey, saved[i].first);
        settings_->setValue(AddressKey, saved[i].second);
    }
    settings_->endArray();
}

bool ViewerSettings::save() {
    if (!settings_) {
        return false;
    }
    QDir().mkpath(QFileInfo(settings_->fileName()).absolutePath());
    settings_->sync();
    if (settings_->status() != QSettings::NoError) {
        warning_ = u"The settings could not be saved in %1: %2."_s.arg(
            settings_->fileName(), describe(settings_->status()));
        return false;
    }
    return true;
}

QString ViewerSettings::recordingFolder() const {
    if (!settings_) {
        return {};
    }
    // A folder of one's own: ~ and relative paths are not guessed at.
    const QString folder = settings_->value(QStringLiteral("recordings/folder")).toString();
    return QDir::isAbsolutePath(folder) ? QDir::cleanPath(folder) : QString();
}

int ViewerSettings::pauseMinutes() const {
    constexpr int Default = 30;
    bool ok = false;
    const int minutes =
        settings_ ? settings_->value(QStringLiteral("pause/minutes"), Default).toInt(&ok) : Default;
    return ok ? std::clamp(minutes, 1, 600) : Default;
}

ViewerSettings::Padding ViewerSettings::recordingPadding() const {
    Padding padding;
    if (!settings_) {
        return padding;
    }
    auto minutes = [this](const QString& key, qint64 fallback) {
        bool ok = false;
        const int value = settings_->value(key).toInt(&ok);
        return ok && value >= 0 && value <= MaxPaddingMinutes ? qint64(value) * 60 : fallback;
    };
    padding.before = minutes(QStringLiteral("recordings/before"), padding.before);
    padding.after = minutes(QStringLiteral("recordings/after"), padding.after);
    return padding;
}

} // namespace orvanto
