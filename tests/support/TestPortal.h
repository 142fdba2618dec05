#pragma once

#include "support/TestPortalAnswers.h"

#include <QByteArrayList>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <utility>

namespace orvanto::test {

// An Xtream-style portal on 127.0.0.1 for the tests: the login and the live lists of
// /player_api.php, the short guide of a channel and /xmltv.php (as TestPortalAnswers.h writes
// them), and the streams under /live/USER/PASSWORD/ID.EXT (an endless WAV stream, as
// TestHttpServer's Wav route sends; unknown ids and credentials get "404 Not Found"). A request
// with wrong credentials gets {"user_info":{"auth":0}} from /player_api.php and "401
// Unauthorized" from /xmltv.php. The short guide (get_short_epg&stream_id=ID[&limit=N]) sends
// portal::GuideProgrammes programmes unless asked for `limit`. It can be made to behave as badly as
// real panels do. It runs in a thread of its own and stops when destroyed; every setter may be
// called while it runs and holds from the next request on.
//
// Actions, as setFailure() and requests() name them: "" (the login: /player_api.php without
// an action), "get_live_categories", "get_live_streams", "get_short_epg" and any other action
// of /player_api.php (answered "[]"), "xmltv", and "live" (stream requests).
class TestPortal {
public:
    using Channel = portal::Channel;

    enum class Failure {
        None,
        Html,        // "200 OK" with an HTML page
        Refused884,  // the status line "884 ..." and an empty body, as panels that block players
        Slow,        // the right answer, after slowMs
        CutOff,      // Content-Length claims the whole answer; the connection closes halfway
        Endless,     // a 200 JSON array (an XMLTV document for "xmltv") of generated channels
                     // that never ends
        ServerError, // "500 Internal Server Error"
    };

    explicit TestPortal(QString user = QStringLiteral("me"),
                        QString password = QStringLiteral("s3cret-Pa55"));
    ~TestPortal();

    // Listens on 127.0.0.1, on a free port; returns when ready.
    void start();
    quint16 port() const { return port_; }
    QString host() const { return QStringLiteral("127.0.0.1"); }
    QString user() const { return user_; }
    QString password() const { return password_; }
    QUrl baseUrl() const;  // http://127.0.0.1:PORT
    QUrl apiUrl() const;   // http://127.0.0.1:PORT/player_api.php, no query
    QUrl xmltvUrl() const; // with the account's query
    QUrl streamUrl(int id, const QString& extension = QStringLiteral("ts")) const;

    // What the login reports of the account (the lists are served whatever it says).
    // "Active" (the default), "Expired", "Disabled", "Banned", ...
    void setStatus(const QString& status) {
        change([&](portal::State& s) { s.status = status; });
    }
    // 0: unlimited ("exp_date":null). By default 1767225600.
    void setExpiry(qint64 unixSeconds) {
        change([=](portal::State& s) { s.expiry = unixSeconds; });
    }
    void setTrial(bool trial) {
        change([=](portal::State& s) { s.trial = trial; });
    }
    void setConnections(int active, int max) {
        change([=](portal::State& s) {
            s.active = active;
            s.max = max;
        });
    }
    // "allowed_output_formats"; by default m3u8 and ts.
    void setFormats(const QStringList& formats) {
        change([&](portal::State& s) { s.formats = formats; });
    }
    // "timezone" (by default Europe/Berlin), in which the short guide gives its local times.
    void setTimeZone(const QString& zone) {
        change([&](portal::State& s) { s.zone = zone; });
    }
    // The portal's clock: "timestamp_now", and where the guide starts. 0 (the default): the
    // real clock.
    void setNow(qint64 unixSeconds) {
        change([=](portal::State& s) { s.now = unixSeconds; });
    }

    // The channels (3 generated ones until told otherwise): `channels`, or `count` generated
    // ones as portal::State::generate() describes. Generated lists are written while they are
    // sent, a piece at a time: 250,000 channels are fine.
    void setChannels(const QList<Channel>& channels) {
        change([&](portal::State& s) { s.setChannels(channels); });
    }
    void generateChannels(int count) {
        change([=](portal::State& s) { s.generate(count); });
    }

    // Quirks of real panels, off by default.
    // Mixed types: in every other item numbers come as strings ("stream_id":"101",
    // "tv_archive":"1"), in the others numeric strings come as numbers ("category_id":1,
    // "added":1600000000), a name of digits only as a number ("name":12345), empty values
    // as null ("epg_channel_id":null, "custom_sid":null), and every other icon is null. The
    // login's numbers come as numbers ("exp_date":1767225600, "max_connections":1), the short
    // guide's timestamps too.
    void setMixedTypes(bool on) {
        change([=](portal::State& s) { s.mixed = on; });
    }
    // The live lists as an object keyed by id, {"101":{...},"102":{...}}, not an array.
    void setStreamsAsObject(bool on) {
        change([=](portal::State& s) { s.asObject = on; });
    }
    // The login answered with a bare "[]", whatever the account.
    void setLoginAsBareArray(bool on) {
        change([=](portal::State& s) { s.bareLogin = on; });
    }
    // For "live", CutOff sends half of a 4-second WAV file, and Endless is what it does anyway.
    void setFailure(const QString& action, Failure failure, int slowMs = 0);

    // Stops listening and drops every connection (nobody listens on the port any more), and
    // listens on the same port again.
    void goDown();
    void comeBack();

    // Requests so far for `action` (see above; any other path counts under the path itself),
    // whatever their credentials.
    int requests(const QString& action) const;
    // The target (path and query, as sent) of every request so far, in order.
    QByteArrayList requestTargets() const;

private:
    class Thread;
    friend class PortalConnection;

    template <typename Change> void change(Change apply) {
        QMutexLocker lock(&mutex_);
        apply(state_);
    }
    portal::State snapshot() const;
    std::pair<Failure, int> failure(const QString& action) const;
    void record(const QByteArray& target, const QString& action);

    const QString user_;
    const QString password_;
    mutable QMutex mutex_;
    portal::State state_;
    QHash<QString, std::pair<Failure, int>> failures_;
    QHash<QString, int> requests_;
    QByteArrayList targets_;
    quint16 port_ = 0;
    Thread* thread_ = nullptr;
};

} // namespace orvanto::test
