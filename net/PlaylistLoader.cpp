#include "net/PlaylistLoader.h"

#include "net/PlaylistDownload.h"
#include "net/PortalLoader.h"

#include <QDateTime>
#include <QLocale>
#include <QStandardPaths>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

PlaylistLoader::PlaylistLoader(QObject* parent)
    : QObject(parent), timeout_(PlaylistDownload::DefaultTimeout),
      accountCache_(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                    u"/accounts"_s) {}

PlaylistLoader::~PlaylistLoader() = default;

void PlaylistLoader::setTimeout(std::chrono::milliseconds timeout) {
    timeout_ = timeout;
    if (download_) {
        download_->setTimeout(timeout);
    }
}

void PlaylistLoader::load(const QString& source, Catalogue& catalogue) {
    catalogue_ = &catalogue;
    if (isAccountAddress(source)) {
        QString error;
        PortalAccount account = parseAccountAddress(source, &error);
        if (account.isValid() && !account.password.isEmpty()) {
            loadAccount(account, catalogue);
            return;
        }
        if (account.isValid()) {
            error = u"no password for the account"_s;
        }
        QMetaObject::invokeMethod(
            this,
            [this, error, shown = account.isValid() ? account.address() : u"xtream://"_s] {
                PortalResult result;
                result.report.rejection = error;
                result.report.message = u"The account %1 cannot be used: %2."_s.arg(shown, error);
                accountRead(result);
            },
            Qt::QueuedConnection);
        return;
    }
    const QUrl location = playlistLocation(source);
    if (location.isLocalFile() || !location.isValid()) {
        // Read on the next turn of the event loop, so that the caller sees the same order of
        // events as with a download.
        QMetaObject::invokeMethod(
            this,
            [this, source, location] {
                if (!location.isValid()) {
                    registerData(PlaylistData{
                        source, location, {}, u"it is neither a file nor an http(s) address"_s});
                } else {
                    registerData(readLocalPlaylist(source, location));
                }
            },
            Qt::QueuedConnection);
        return;
    }
    if (!download_) {
        download_ = std::make_unique<PlaylistDownload>();
        download_->setTimeout(timeout_);
        connect(download_.get(), &PlaylistDownload::finished, this, &PlaylistLoader::registerData);
    }
    download_->start(source, location);
}

void PlaylistLoader::loadAccount(const PortalAccount& account, Catalogue& catalogue) {
    catalogue_ = &catalogue;
    if (!portal_) {
        portal_ = std::make_unique<PortalLoader>();
        connect(portal_.get(), &PortalLoader::finished, this, &PlaylistLoader::accountRead);
    }
    portal_->setCacheFolder(accountCache_);
    portal_->load(account, catalogue, reservedNames_);
}

void PlaylistLoader::accountRead(const PortalResult& result) {
    PlaylistReport report = result.report;
    if (result.fromCache) {
        report.account = u"the portal does not answer (%1): the channels as read on %2"_s.arg(
            result.unreachable,
            QLocale().toString(QDateTime::fromSecsSinceEpoch(result.readAt), QLocale::ShortFormat));
    } else {
        report.account = report.accepted
                             ? accountStateText(result.login, QDateTime::currentSecsSinceEpoch())
                             : report.rejection;
        report.allowedConnections = qMax(0, result.login.maxConnections);
    }
    Q_EMIT finished(report);
}

void PlaylistLoader::registerData(const PlaylistData& data) {
    Q_ASSERT(catalogue_);
    Q_EMIT finished(registerPlaylist(data, *catalogue_, reservedNames_));
}

} // namespace orvanto
