#include "net/PortalCache.h"

#include "net/JsonItems.h"
#include "net/PortalValues.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

QString portalCacheFile(const QString& folder, const PortalAccount& account) {
    const QByteArray hash =
        QCryptographicHash::hash(account.address().toUtf8(), QCryptographicHash::Sha256).toHex();
    return QDir(folder).filePath(QString::fromLatin1(hash.left(32)) + u".jsonl"_s);
}

bool PortalCacheWriter::begin(const PortalLogin& login, const PortalCategories& categories,
                              qint64 readAt) {
    QDir().mkpath(QFileInfo(file_.fileName()).absolutePath());
    ok_ = file_.open(QIODevice::WriteOnly);
    if (!ok_) {
        return false;
    }
    QJsonObject groups;
    for (auto it = categories.cbegin(); it != categories.cend(); ++it) {
        groups.insert(it.key(), it.value());
    }
    const QJsonObject head{
        {u"readAt"_s, readAt},
        {u"formats"_s, QJsonArray::fromStringList(login.formats)},
        {u"timezone"_s, QString::fromLatin1(login.timeZone)},
        {u"categories"_s, groups},
    };
    ok_ = file_.write(QJsonDocument(head).toJson(QJsonDocument::Compact) + '\n') > 0;
    return ok_;
}

void PortalCacheWriter::add(const QJsonObject& item) {
    if (ok_) {
        ok_ = file_.write(QJsonDocument(item).toJson(QJsonDocument::Compact) + '\n') > 0;
    }
}

bool PortalCacheWriter::commit() {
    if (!ok_) {
        file_.cancelWriting();
        return false;
    }
    return file_.commit();
}

void readPortalCache(const QString& path, qint64 maxBytes, qsizetype maxItems,
                     PortalCacheRead& read, const std::function<void(const QJsonObject&)>& sink) {
    read = {};
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maxBytes || !file.open(QIODevice::ReadOnly)) {
        return;
    }
    const qint64 maxLine = JsonItems::MaxItemBytes + 1;
    const QByteArray first = file.readLine(maxLine);
    const QJsonObject head = QJsonDocument::fromJson(first).object();
    if (!head.contains(u"readAt"_s)) {
        return;
    }
    read.found = true;
    read.readAt = jsonInt(head.value(u"readAt"_s), 0);
    for (const QJsonValue& format : head.value(u"formats"_s).toArray()) {
        read.login.formats.append(jsonText(format).left(8));
    }
    read.login.timeZone = jsonText(head.value(u"timezone"_s)).left(64).toLatin1();
    const QJsonObject groups = head.value(u"categories"_s).toObject();
    for (auto it = groups.begin(); it != groups.end(); ++it) {
        read.categories.insert(it.key().left(32), jsonText(it.value()).left(200));
    }
    qsizetype items = 0;
    while (!file.atEnd() && items < maxItems) {
        const QByteArray line = file.readLine(maxLine);
        if (!line.endsWith('\n') && !file.atEnd()) {
            // Longer than an item may be: pass over the rest of it.
            while (!file.atEnd() && !file.readLine(maxLine).endsWith('\n')) {
            }
            continue;
        }
        const QJsonDocument item = QJsonDocument::fromJson(line);
        if (item.isObject()) {
            sink(item.object());
            ++items;
        }
    }
}

} // namespace orvanto
