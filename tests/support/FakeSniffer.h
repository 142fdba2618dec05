#pragma once

#include "net/Sniffer.h"

#include <QList>
#include <utility>

namespace orvanto::test {

// A sniffer that decides only when the test says so.
class FakeSniffer final : public Sniffer {
public:
    void start(const QUrl& url, std::function<void(const Result&)> done) override {
        started << url;
        done_ = std::move(done);
    }
    void abort() override { done_ = nullptr; }
    bool isRunning() const { return static_cast<bool>(done_); }

    // Decides the running sniff; returns false when none runs.
    bool decide(Result::Kind kind, const QList<QUrl>& entries = {}) {
        if (!done_) {
            return false;
        }
        auto done = std::exchange(done_, nullptr);
        Result result;
        result.kind = kind;
        result.entries = entries;
        done(result);
        return true;
    }

    QList<QUrl> started;

private:
    std::function<void(const Result&)> done_;
};

} // namespace orvanto::test
