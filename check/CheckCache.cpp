#include "check/CheckCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

QString CheckCache::fileFor(const QString& list) const {
    const QByteArray hash = QCryptographicHash::hash(list.toUtf8(), QCryptographicHash::Sha1);
    return QDir(folder_).filePath(QString::fromLatin1(hash.toHex()) + u".json"_s);
}

CheckSummary CheckCache::load(const QString& list) const {
    QFile file(fileFor(list));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileBytes) {
        return {};
    }
    const QJsonObject root = QJsonDocument::fromJson(file.read(MaxFileBytes)).object();
    CheckSummary summary;
    // A file of another list (copied, or written by hand) is not this list's check.
    if (root.value(u"list"_s).toString() != list) {
        return {};
    }
    summary.checked =
        QDateTime::fromString(root.value(u"checked"_s).toString(), Qt::ISODate).toLocalTime();
    if (!summary.checked.isValid()) {
        return {};
    }
    const QJsonArray stations = root.value(u"stations"_s).toArray();
    summary.stations.reserve(stations.size());
    for (const QJsonValue& value : stations) {
        const QJsonObject station = value.toObject();
        const QString name = station.value(u"name"_s).toString();
        const int addresses = station.value(u"addresses"_s).toInt(-1);
        const int playing = station.value(u"playing"_s).toInt(-1);
        if (name.isEmpty() || addresses < 0 || playing < 0 || playing > addresses) {
            continue;
        }
        summary.stations.insert(name, {playing, addresses});
    }
    return summary;
}

QString CheckCache::save(const QString& list, const CheckSummary& summary) const {
    QJsonArray stations;
    for (auto it = summary.stations.cbegin(); it != summary.stations.cend(); ++it) {
        stations.append(QJsonObject{
            {u"name"_s, it.key()}, {u"playing"_s, it->playing}, {u"addresses"_s, it->addresses}});
    }
    const QJsonObject root{{u"list"_s, list},
                           {u"checked"_s, summary.checked.toUTC().toString(Qt::ISODate)},
                           {u"stations"_s, stations}};
    if (!QDir().mkpath(folder_)) {
        return u"cannot make the folder %1"_s.arg(folder_);
    }
    QSaveFile file(fileFor(list));
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Compact);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return file.errorString();
    }
    return {};
}

} // namespace orvanto
