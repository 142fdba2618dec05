#pragma once

#include "core/StreamAddress.h"

#include <QList>
#include <QUrl>
#include <functional>

namespace orvanto {

// Looks up the qualities an adaptive stream's playlist offers (VariantList::heights).
class VariantProbe {
public:
    virtual ~VariantProbe() = default;

    // Starts reading `url` (the request carrying `headers`); `done` is called once, later (never
    // from inside start()), with the heights found (empty on any failure), unless abort() comes
    // first. A second start() aborts the first.
    virtual void start(const QUrl& url, const HttpHeaders& headers,
                       std::function<void(const QList<int>& heights)> done) = 0;
    virtual void abort() = 0;
};

} // namespace orvanto
