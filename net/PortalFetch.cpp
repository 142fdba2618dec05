#include "net/PortalFetch.h"

#include "catalogue/Catalogue.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

qint64 nowSeconds() {
    return QDateTime::currentSecsSinceEpoch();
}

QString seconds(std::chrono::milliseconds time) {
    return QString::number(double(time.count()) / 1000.0, 'g', 3);
}

} // namespace

PortalFetch::PortalFetch(PortalAccount account, Catalogue& catalogue, QStringList reservedNames,
                         QObject* parent)
    : QObject(parent), account_(std::move(account)), catalogue_(catalogue),
      reservedNames_(std::move(reservedNames)), get_(this), stall_(this), deadline_(this) {
    stall_.setSingleShot(true);
    deadline_.setSingleShot(true);
    connect(&stall_, &QTimer::timeout, this, [this] { onTimeout(false); });
    connect(&deadline_, &QTimer::timeout, this, [this] { onTimeout(true); });
    connect(&get_, &HttpGet::headReceived, this, &PortalFetch::onHead);
    connect(&get_, &HttpGet::bodyReceived, this, &PortalFetch::onBody);
    connect(&get_, &HttpGet::finished, this, &PortalFetch::onFinished);
}

PortalFetch::~PortalFetch() = default;

void PortalFetch::start() {
    over_ = false;
    aborted_ = false;
    request(Step::Login);
}

void PortalFetch::abort() {
    over_ = true;
    aborted_ = true;
    get_.abort();
    stall_.stop();
    deadline_.stop();
}

void PortalFetch::request(Step step) {
    step_ = step;
    HttpRequest request;
    switch (step) {
    case Step::Login:
        login_.clear();
        request = httpRequest(account_.apiUrl(), PortalLogin::MaxBytes + 1);
        break;
    case Step::Categories:
        items_ = std::make_unique<JsonItems>(
            [this](const QJsonObject& item) { readPortalCategory(item, categories_); });
        request = httpRequest(account_.apiUrl(u"get_live_categories"_s), limits_.categoryBytes);
        break;
    case Step::Channels:
        registration_ =
            std::make_unique<EntryRegistration>(catalogue_, reservedNames_, AccountLimits);
        cache_.reset();
        if (!cacheFile_.isEmpty()) {
            cache_ = std::make_unique<PortalCacheWriter>(cacheFile_);
            cache_->begin(loginState_, categories_, nowSeconds());
        }
        items_ = std::make_unique<JsonItems>([this](const QJsonObject& item) {
            if (overItems_) {
                return;
            }
            if (items_->items() > limits_.items) {
                overItems_ = true;
                return;
            }
            if (std::optional<M3uEntry> entry =
                    portalEntry(item, account_, loginState_, categories_)) {
                registration_->add(std::move(*entry));
                if (cache_) {
                    cache_->add(item);
                }
            } else {
                ++unusable_;
            }
        });
        request = httpRequest(account_.apiUrl(u"get_live_streams"_s), limits_.listBytes);
        deadline_.start(limits_.listTime);
        break;
    }
    request.maxRedirects = 3;
    get_.start(request);
    stall_.start(limits_.answerTime);
}

void PortalFetch::onHead() {
    stall_.start(limits_.stallTime);
    const QString refusal = portalStatusRefusal(get_.status());
    if (refusal.isEmpty()) {
        return;
    }
    if (step_ == Step::Categories) {
        // The groups are a nicety: the channels come without them.
        get_.abort();
        problems_.append(u"the portal gave no groups (%1)"_s.arg(get_.status()));
        request(Step::Channels);
        return;
    }
    refuse(refusal, get_.status() >= 500);
}

bool PortalFetch::take(QByteArrayView bytes) {
    if (step_ == Step::Login) {
        login_ += bytes;
        return true;
    }
    if (!items_->feed(bytes)) {
        if (step_ == Step::Categories) {
            get_.abort();
            problems_.append(u"the portal's groups could not be read (%1)"_s.arg(items_->error()));
            request(Step::Channels);
            return false;
        }
        refuse(items_->isMarkup()
                   ? u"the server answered with a web page, not a portal"_s
                   : u"the portal's channel list could not be read: %1"_s.arg(items_->error()));
        return false;
    }
    if (overItems_) {
        get_.abort();
        problems_.append(
            u"the portal sent more than %1 channels: the rest was left out"_s.arg(limits_.items));
        channelsRead(false);
        return false;
    }
    return true;
}

void PortalFetch::onBody() {
    stall_.start(limits_.stallTime);
    take(get_.readBody());
}

void PortalFetch::onFinished() {
    if (over_) {
        return;
    }
    stall_.stop();
    if (!take(get_.readBody()) || over_) {
        return;
    }
    const HttpGet::Error error = get_.error();
    if (error != HttpGet::Error::None) {
        const bool tooLarge = error == HttpGet::Error::BodyTooLarge;
        if (step_ == Step::Categories) {
            problems_.append(
                u"the portal's groups could not be read (%1)"_s.arg(get_.errorString()));
            request(Step::Channels);
            return;
        }
        if (step_ == Step::Channels && !tooLarge && items_->items() > 0) {
            problems_.append(
                u"the portal's channel list was cut off (%1): what came is shown"_s.arg(
                    get_.errorString()));
            channelsRead(false);
            return;
        }
        if (step_ == Step::Channels && tooLarge) {
            problems_.append(
                u"the portal's channel list is larger than %1 MB: the rest was left out"_s.arg(
                    limits_.listBytes / (1024 * 1024)));
            channelsRead(false);
            return;
        }
        if (step_ == Step::Login && tooLarge) {
            refuse(u"the server's answer is too large for a portal's login"_s);
        } else {
            refuse(u"the portal could not be reached (%1)"_s.arg(get_.errorString()), true);
        }
        return;
    }
    switch (step_) {
    case Step::Login:
        loginRead();
        break;
    case Step::Categories:
        if (!items_->finish()) {
            problems_.append(u"the portal's groups could not be read (%1)"_s.arg(items_->error()));
        }
        request(Step::Channels);
        break;
    case Step::Channels:
        if (!items_->finish()) {
            if (items_->items() == 0) {
                refuse(u"the portal's channel list could not be read: %1"_s.arg(items_->error()));
                return;
            }
            problems_.append(
                u"the portal's channel list was cut off (%1): what came is shown"_s.arg(
                    items_->error()));
        }
        channelsRead(items_->error().isEmpty());
        break;
    }
}

void PortalFetch::onTimeout(bool whole) {
    if (over_) {
        return;
    }
    stall_.stop();
    deadline_.stop();
    get_.abort();
    if (step_ == Step::Categories) {
        problems_.append(u"the portal gave no groups in time"_s);
        request(Step::Channels);
        return;
    }
    if (step_ == Step::Channels && items_ && items_->items() > 0) {
        problems_.append(whole ? u"the portal's channel list took longer than %1 seconds: what "
                                 u"came is shown"_s.arg(seconds(limits_.listTime))
                               : u"the portal stopped sending its channel list: what came is "
                                 u"shown"_s);
        channelsRead(false);
        return;
    }
    refuse(u"the portal did not answer within %1 seconds"_s.arg(seconds(limits_.answerTime)), true);
}

void PortalFetch::loginRead() {
    PortalLoginRead read = readPortalLogin(get_.status(), login_, nowSeconds());
    login_.clear();
    loginState_ = read.login;
    if (!read.refusal.isEmpty()) {
        refuse(read.refusal);
        return;
    }
    request(Step::Categories);
}

void PortalFetch::channelsRead(bool whole) {
    stall_.stop();
    deadline_.stop();
    items_.reset();
    // Only a whole list replaces the one kept.
    if (cache_ && whole) {
        cache_->commit();
    }
    cache_.reset();
    if (unusable_ > 0) {
        problems_.append(u"%1 channels without a usable stream id left out"_s.arg(unusable_));
    }
    PortalResult result;
    result.login = loginState_;
    result.loggedIn = true;
    result.readAt = nowSeconds();
    result.report = registration_->finish(
        account_.address(), {account_.guideUrl().toString(QUrl::FullyEncoded)}, problems_);
    registration_.reset();
    end(std::move(result));
}

void PortalFetch::refuse(const QString& why, bool unreachable) {
    get_.abort();
    stall_.stop();
    deadline_.stop();
    items_.reset();
    registration_.reset();
    cache_.reset();
    if (unreachable && fromCache(why)) {
        return;
    }
    PortalResult result;
    result.login = loginState_;
    result.report.rejection = why;
    result.report.message = u"The account %1 cannot be used: %2."_s.arg(account_.address(), why);
    end(std::move(result));
}

bool PortalFetch::fromCache(const QString& unreachable) {
    if (cacheFile_.isEmpty() || !QFile::exists(cacheFile_)) {
        return false;
    }
    registration_ = std::make_unique<EntryRegistration>(catalogue_, reservedNames_, AccountLimits);
    PortalCacheRead kept;
    readPortalCache(cacheFile_, limits_.listBytes, limits_.items, kept,
                    [this, &kept](const QJsonObject& item) {
                        if (std::optional<M3uEntry> entry =
                                portalEntry(item, account_, kept.login, kept.categories)) {
                            registration_->add(std::move(*entry));
                        }
                    });
    if (!kept.found || registration_->entries() == 0) {
        registration_.reset();
        return false;
    }
    PortalResult result;
    result.login = loginState_;
    result.fromCache = true;
    result.unreachable = unreachable;
    result.readAt = kept.readAt;
    result.report = registration_->finish(account_.address(),
                                          {account_.guideUrl().toString(QUrl::FullyEncoded)});
    registration_.reset();
    end(std::move(result));
    return true;
}

void PortalFetch::end(PortalResult result) {
    over_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, result = std::move(result)] {
            if (!aborted_) {
                Q_EMIT finished(result);
            }
        },
        Qt::QueuedConnection);
}

} // namespace orvanto
