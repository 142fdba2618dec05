#pragma once

#include "catalogue/PlaylistRegistration.h"

#include <QObject>
#include <QStringList>
#include <chrono>
#include <memory>

namespace orvanto {

class Catalogue;
class PlaylistDownload;
class PortalLoader;
struct PortalAccount;
struct PortalResult;

// Reads the user's playlist from a file or an http(s) address and registers its stations into
// a catalogue, without blocking: the result arrives through finished(), after the event loop has
// run, for files as well as downloads.
class PlaylistLoader : public QObject {
    Q_OBJECT
public:
    explicit PlaylistLoader(QObject* parent = nullptr);
    ~PlaylistLoader() override;

    // Time allowed for a download.
    void setTimeout(std::chrono::milliseconds timeout);
    // Where provider accounts' channel lists are kept, for when their portal does not answer;
    // empty: nowhere. By default the user's cache folder.
    void setAccountCache(const QString& folder) { accountCache_ = folder; }
    // Names the playlist may not use: the locked stations, which are registered afterwards.
    void setReservedNames(const QStringList& names) { reservedNames_ = names; }

    // Starts loading `source` (a path, a file: URL or an http(s) address) into `catalogue`,
    // which must outlive the load. One load at a time.
    void load(const QString& source, Catalogue& catalogue);
    // Starts reading the channels of a provider account, its password given, into `catalogue`
    // on a thread of its own; `catalogue` is not touched on this thread until finished().
    void loadAccount(const PortalAccount& account, Catalogue& catalogue);

Q_SIGNALS:
    // The catalogue holds the playlist's stations if report.accepted, and is unchanged otherwise.
    void finished(const orvanto::PlaylistReport& report);

private:
    void registerData(const PlaylistData& data);
    void accountRead(const PortalResult& result);

    std::chrono::milliseconds timeout_;
    QStringList reservedNames_;
    QString accountCache_;
    Catalogue* catalogue_ = nullptr;
    std::unique_ptr<PlaylistDownload> download_;
    std::unique_ptr<PortalLoader> portal_;
};

} // namespace orvanto
