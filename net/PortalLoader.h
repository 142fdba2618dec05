#pragma once

#include "net/PortalFetch.h"

#include <QObject>
#include <QThread>

namespace orvanto {

// Reads accounts on a thread of its own, so that a portal's answer of a quarter of a million
// channels is read and registered without holding the window: the result arrives through
// finished() on the loader's thread. One account at a time; the catalogue handed to load() is
// the reader's until finished() has come or the load has been dropped.
class PortalLoader : public QObject {
    Q_OBJECT
public:
    explicit PortalLoader(QObject* parent = nullptr);
    // Drops a load under way, waiting only for the reader to let go of its catalogue.
    ~PortalLoader() override;

    void setLimits(const PortalFetch::Limits& limits) { limits_ = limits; }
    // Where the accounts' channel lists are kept once read (see PortalFetch::setCacheFile);
    // empty: nowhere.
    void setCacheFolder(const QString& folder) { cacheFolder_ = folder; }

    // Starts reading `account` into `catalogue`, dropping a load under way.
    void load(const PortalAccount& account, Catalogue& catalogue, const QStringList& reservedNames);
    // Drops the load under way; no signal follows for it.
    void drop();

Q_SIGNALS:
    void finished(const orvanto::PortalResult& result);

private:
    PortalFetch::Limits limits_;
    QString cacheFolder_;
    QThread thread_;
    PortalFetch* fetch_ = nullptr; // lives on thread_
    quint64 generation_ = 0;
};

} // namespace orvanto
