#pragma once

#include "guide/GuideImport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <memory>

namespace orvanto {

class HttpGet;

// Reads one guide from its source (a file, or http(s) through the bounded client) into its
// store as the bytes come, on the thread it lives in, a piece per turn of that thread's event
// loop so that other work there goes on between them. A transfer that fails, stalls for
// IdleTimeout, takes longer than TotalTimeout or is cancelled leaves the store's guide as it was.
// A guide read over http(s) before is asked for only if it changed (its entity tag and time, as
// the server sent them): one the server finds unchanged costs one round trip, and the store
// keeps its guide, read again later.
class GuideFetch : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds IdleTimeout{30000};
    static constexpr std::chrono::milliseconds TotalTimeout{15 * 60 * 1000};
    static constexpr qint64 RefreshSeconds = 12 * 3600;
    static constexpr qint64 EarliestRefreshSeconds = 3600;

    struct Result {
        GuideImport::Outcome outcome; // outcome.failure: why the store kept its guide
        qint64 due = 0;               // when to read the guide again
        bool unchanged = false;       // the server said the guide kept is still the guide
    };

    // `location`: a file: or http(s) URL; `now`: the time of the fetch; `limits`: the import's.
    GuideFetch(GuideStore& store, const QString& source, const QUrl& location, qint64 now,
               const GuideLimits& limits = GuideLimits(), QObject* parent = nullptr);
    ~GuideFetch() override;

    // What tells whether the file at `location` has changed since it was read (its time and
    // size); empty for other sources.
    static QString validatorOf(const QUrl& location);

    void start();
    // Ends the fetch at once; nothing is kept and finished() does not follow.
    void cancel();

    const Result& result() const { return result_; }

Q_SIGNALS:
    // Bytes read of the source so far, and its size if known (-1).
    void progress(qint64 done, qint64 total);
    void finished();

private:
    void readFile();
    void onHead();
    void onBody();
    void onHttpFinished();
    bool feed(QByteArrayView bytes);
    void fail(const QString& why);
    void complete();
    void reportProgress(bool force = false);
    qint64 dueFromHeaders() const;
    QString httpValidator() const;
    void keepUnchanged();

    GuideStore& store_;
    GuideImport import_;
    QString source_;
    QUrl location_;
    qint64 now_;
    qint64 total_ = -1;
    bool running_ = false;
    QFile file_;
    std::unique_ptr<HttpGet> get_;
    QTimer idle_;
    QTimer limit_;
    QElapsedTimer sinceProgress_;
    Result result_;
    GuideInfo previous_;       // what the store held when the fetch began
    bool conditional_ = false; // asked only if it changed since then
};

} // namespace orvanto
