#include "net/PortalShortGuide.h"

#include "net/HttpGet.h"
#include "net/PortalValues.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrlQuery>
#include <algorithm>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

// Titles come base64-encoded; a panel that sends them plain is read as it is.
QString decoded(const QJsonValue& value, qsizetype limit) {
    const QByteArray raw = jsonText(value).toLatin1();
    const auto result =
        QByteArray::fromBase64Encoding(raw, QByteArray::AbortOnBase64DecodingErrors);
    const QString text = result ? QString::fromUtf8(*result) : jsonText(value);
    QString out = text.simplified().left(limit);
    out.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return out;
}

} // namespace

QUrl shortGuideUrl(const QString& liveAddress, int limit) {
    const QUrl live(liveAddress, QUrl::StrictMode);
    const QStringList parts = live.path(QUrl::FullyEncoded).split(u'/');
    // "", "live", USER, PASS, ID.ext
    if (!live.isValid() || (live.scheme() != u"http"_s && live.scheme() != u"https"_s) ||
        parts.size() != 5 || parts[1] != u"live"_s) {
        return {};
    }
    const QString id = parts[4].section(u'.', 0, 0);
    if (id.isEmpty() || parts[2].isEmpty() || parts[3].isEmpty()) {
        return {};
    }
    QUrl url = live;
    url.setPath(u"/player_api.php"_s);
    url.setQuery(u"username=%1&password=%2&action=get_short_epg&stream_id=%3&limit=%4"_s.arg(
                     parts[2], parts[3], id, QString::number(limit)),
                 QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

std::vector<PortalProgramme> readShortGuide(QByteArrayView body, int limit) {
    std::vector<PortalProgramme> programmes;
    if (body.size() > PortalShortGuide::MaxBytes) {
        return programmes;
    }
    const QJsonDocument document = QJsonDocument::fromJson(body.toByteArray());
    for (const QJsonValue& value : document.object().value(u"epg_listings"_s).toArray()) {
        const QJsonObject item = value.toObject();
        PortalProgramme programme;
        programme.start = jsonInt(item.value(u"start_timestamp"_s), 0);
        programme.stop = jsonInt(item.value(u"stop_timestamp"_s), 0);
        programme.title = decoded(item.value(u"title"_s), 200);
        programme.description = decoded(item.value(u"description"_s), 2000);
        if (programme.start > 0 && programme.stop > programme.start && !programme.title.isEmpty()) {
            programmes.push_back(std::move(programme));
        }
    }
    std::stable_sort(
        programmes.begin(), programmes.end(),
        [](const PortalProgramme& a, const PortalProgramme& b) { return a.start < b.start; });
    if (programmes.size() > size_t(std::max(0, limit))) {
        programmes.resize(size_t(std::max(0, limit)));
    }
    return programmes;
}

PortalShortGuide::PortalShortGuide(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        get_.reset();
        Q_EMIT ready(key_, {});
    });
}

PortalShortGuide::~PortalShortGuide() = default;

void PortalShortGuide::request(int key, const QUrl& url) {
    key_ = key;
    body_.clear();
    get_ = std::make_unique<HttpGet>();
    connect(get_.get(), &HttpGet::bodyReceived, this, [this] { body_ += get_->readBody(); });
    connect(get_.get(), &HttpGet::finished, this, &PortalShortGuide::finish);
    get_->start(httpRequest(url, MaxBytes));
    timer_.start(TimeoutMs);
}

void PortalShortGuide::finish() {
    timer_.stop();
    body_ += get_->readBody();
    const bool ok = get_->error() == HttpGet::Error::None && get_->status() == 200;
    // The request is over: it goes once this signal has returned.
    get_.release()->deleteLater();
    const QByteArray body = std::exchange(body_, {});
    Q_EMIT ready(key_, ok ? readShortGuide(body) : std::vector<PortalProgramme>{});
}

} // namespace orvanto
