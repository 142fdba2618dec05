#pragma once

#include "catalogue/PlaylistRegistration.h"
#include "net/HttpGet.h"
#include "net/JsonItems.h"
#include "net/PortalAccount.h"
#include "net/PortalCache.h"
#include "net/PortalChannels.h"
#include "net/PortalLogin.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

namespace orvanto {

class Catalogue;

// What became of reading an account.
struct PortalResult {
    PlaylistReport report; // accepted: the catalogue holds the account's channels
    PortalLogin login;     // what the portal said of the account (when it answered the login)
    bool loggedIn = false; // the login was answered and the account may be used
    qint64 readAt = 0;     // when the channel list was read (seconds since the epoch)
    // The portal did not answer (`unreachable` says how): the channels are the ones last read.
    bool fromCache = false;
    QString unreachable;
};

// Reads an account from its portal: the login, the groups, then the channels, each answer read
// as it arrives, bounded in bytes, items and time; the channels go into a catalogue (see
// EntryRegistration) once the whole list has come. Lives on whichever thread it is started on;
// PortalLoader runs it on a thread of its own.
class PortalFetch : public QObject {
    Q_OBJECT
public:
    struct Limits {
        qint64 listBytes = qint64(768) * 1024 * 1024; // the channel list's answer
        qint64 categoryBytes = 8 * 1024 * 1024;
        qsizetype items = AccountLimits.stations;    // channel items taken at most
        std::chrono::milliseconds answerTime{30000}; // until an answer's head has come
        std::chrono::milliseconds stallTime{30000};  // without a byte within an answer
        std::chrono::milliseconds listTime{300000};  // the whole channel list
    };

    PortalFetch(PortalAccount account, Catalogue& catalogue, QStringList reservedNames,
                QObject* parent = nullptr);
    ~PortalFetch() override;

    void setLimits(const Limits& limits) { limits_ = limits; }
    // Where the channel list is kept once read, for the times the portal does not answer; empty:
    // nowhere.
    void setCacheFile(const QString& path) { cacheFile_ = path; }

    // Starts reading; finished() follows once, never from within.
    void start();
    // Stops at once; no signal follows.
    void abort();

Q_SIGNALS:
    void finished(const orvanto::PortalResult& result);

private:
    enum class Step { Login, Categories, Channels };
    void request(Step step);
    void onHead();
    void onBody();
    void onFinished();
    void onTimeout(bool whole);
    bool take(QByteArrayView bytes);
    void loginRead();
    void channelsRead(bool whole);
    void refuse(const QString& why, bool unreachable = false);
    bool fromCache(const QString& unreachable);
    void end(PortalResult result);

    PortalAccount account_;
    Catalogue& catalogue_;
    QStringList reservedNames_;
    Limits limits_;
    Step step_ = Step::Login;
    HttpGet get_;
    QTimer stall_;
    QTimer deadline_;
    QByteArray login_;
    PortalLogin loginState_;
    PortalCategories categories_;
    std::unique_ptr<JsonItems> items_;
    std::unique_ptr<EntryRegistration> registration_;
    QString cacheFile_;
    std::unique_ptr<PortalCacheWriter> cache_;
    qsizetype unusable_ = 0;
    bool overItems_ = false;
    bool over_ = false;
    bool aborted_ = false;
    QStringList problems_;
};

} // namespace orvanto
