#pragma once

#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <vector>

namespace orvanto {

class HttpGet;

// A programme of a portal's short guide (get_short_epg): what is on a channel now and next.
struct PortalProgramme {
    qint64 start = 0; // seconds since the epoch
    qint64 stop = 0;
    QString title;
    QString description;
};

// The short guide of the channel whose live address is `liveAddress` (a portal's
// http://host/live/USER/PASS/ID.ext), or an invalid address for one that is no portal's.
QUrl shortGuideUrl(const QString& liveAddress, int limit = 4);

// Reads a get_short_epg answer ({"epg_listings":[...]}, titles and descriptions base64 as the
// portals send them; times from start_timestamp and stop_timestamp): the programmes in order of
// their start, at most `limit`. Nothing for an answer that is none.
std::vector<PortalProgramme> readShortGuide(QByteArrayView body, int limit = 16);

// Fetches one channel's short guide at a time, bounded in bytes and time; a new request drops
// the one under way.
class PortalShortGuide : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 MaxBytes = 256 * 1024;
    static constexpr int TimeoutMs = 15000;

    explicit PortalShortGuide(QObject* parent = nullptr);
    ~PortalShortGuide() override;

    // Asks for the short guide at `url` for `key` (the caller's name for the channel).
    void request(int key, const QUrl& url);

Q_SIGNALS:
    // The programmes of `key`; empty when the portal had none or did not answer.
    void ready(int key, const std::vector<orvanto::PortalProgramme>& programmes);

private:
    void finish();

    std::unique_ptr<HttpGet> get_;
    QTimer timer_;
    QByteArray body_;
    int key_ = 0;
};

} // namespace orvanto
