#include "window/ListDrop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http"_s || scheme == u"https"_s) && !url.host().isEmpty();
}

bool isListFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"m3u"_s || suffix == u"m3u8"_s;
}

} // namespace

QString webListAddress(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.contains(u'\n') || trimmed.contains(u' ')) {
        return {};
    }
    return isWebAddress(QUrl(trimmed, QUrl::StrictMode)) ? trimmed : QString();
}

QString droppedList(const QMimeData& data) {
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls()) {
            if (url.isLocalFile() && isListFile(url.toLocalFile())) {
                return url.toLocalFile();
            }
            if (isWebAddress(url)) {
                return url.toString();
            }
        }
        return {};
    }
    return data.hasText() ? webListAddress(data.text()) : QString();
}

} // namespace orvanto
