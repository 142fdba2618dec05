#pragma once

#include "net/HttpGet.h"
#include "net/PlaylistParser.h"
#include "net/Sniffer.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <functional>

namespace orvanto {

// Finds out what an http(s) address serves before the engine opens it: a playlist (whatever
// its content type and the address's ending, like a .php script that sends ASX as text/html),
// a stream, or nothing at all (a web page is no stream). Reads only a bounded number of bytes
// for a bounded time. When it finds a stream still coming, it hands its connection over with
// the result (see Result::connection); otherwise it closes it as soon as it knows. A response
// head larger than HttpGet allows means no stream.
class StreamSniffer final : public QObject, public Sniffer {
    Q_OBJECT
public:
    static constexpr qsizetype MaxPlaylistBytes = 256 * 1024;
    // Undecided after this long with a reply under way: left to the engine as a stream.
    static constexpr int DecideWithinMs = 8000;

    // How much of a reply's body a result carries (Result::bodyStart).
    static constexpr qsizetype HeadSampleBytes = 1024;

    explicit StreamSniffer(QObject* parent = nullptr);
    ~StreamSniffer() override;

    // `done` is called on this thread.
    void start(const QUrl& url, const HttpHeaders& headers,
               std::function<void(const Result&)> done) override;
    void abort() override;
    HttpGet::Phase phase() const override;
    bool isRunning() const { return get_.isRunning(); }

private:
    static bool saysItEnds(const QByteArray& text);
    void onHead();
    void onBody();
    void onFinished();
    void decideOnWhatCame();
    void decide(Result::Kind kind, const Playlist& playlist = {});
    bool isFile() const;

    HttpGet get_;
    QByteArray head_;
    QTimer deadline_;
    std::function<void(const Result&)> done_;
};

} // namespace orvanto
