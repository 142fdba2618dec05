#pragma once

#include "net/VariantProbe.h"

#include <utility>

namespace orvanto::test {

// A look at an adaptive stream's qualities that answers when the test says so.
class FakeVariantProbe final : public VariantProbe {
public:
    void start(const QUrl& url, const HttpHeaders& headers,
               std::function<void(const QList<int>&)> done) override {
        started << url;
        startedHeaders << headers;
        done_ = std::move(done);
    }
    void abort() override { done_ = nullptr; }

    bool answer(const QList<int>& heights) {
        if (!done_) {
            return false;
        }
        std::exchange(done_, nullptr)(heights);
        return true;
    }

    QList<QUrl> started;
    QList<HttpHeaders> startedHeaders;

private:
    std::function<void(const QList<int>&)> done_;
};

} // namespace orvanto::test
