#include "net/VariantFetch.h"

#include "net/VariantList.h"

namespace orvanto {

VariantFetch::VariantFetch(QObject* parent) : QObject(parent) {
    deadline_.setSingleShot(true);
    deadline_.setInterval(TimeoutMs);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        body_.clear(); // half a playlist may name half the variants: none rather than a few
        finish();
    });
    connect(&get_, &HttpGet::bodyReceived, this, [this] { body_ += get_.readBody(); });
    connect(&get_, &HttpGet::finished, this, [this] {
        if (get_.error() != HttpGet::Error::None || get_.status() >= 400) {
            body_.clear();
        } else {
            body_ += get_.readBody();
        }
        finish();
    });
}

VariantFetch::~VariantFetch() {
    abort();
}

void VariantFetch::start(const QUrl& url, const HttpHeaders& headers,
                         std::function<void(const QList<int>&)> done) {
    abort();
    done_ = std::move(done);
    get_.start(httpRequest(url, MaxBytes, headers));
    deadline_.start();
}

void VariantFetch::abort() {
    deadline_.stop();
    get_.abort();
    body_.clear();
    done_ = nullptr;
}

void VariantFetch::finish() {
    const QList<int> heights = VariantList::heights(body_);
    auto done = std::move(done_);
    abort();
    if (done) {
        done(heights);
    }
}

} // namespace orvanto
