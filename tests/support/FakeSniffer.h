#pragma once

#include "net/Sniffer.h"

#include <QList>
#include <utility>

namespace orvanto::test {

// A sniffer that decides only when the test says so.
class FakeSniffer final : public Sniffer {
public:
    void start(const QUrl& url, const HttpHeaders& headers,
               std::function<void(const Result&)> done) override {
        started << url;
        startedHeaders << headers;
        done_ = std::move(done);
    }
    void abort() override { done_ = nullptr; }
    HttpGet::Phase phase() const override { return done_ ? runningPhase : HttpGet::Phase::Idle; }
    bool isRunning() const { return static_cast<bool>(done_); }

    // Decides the running sniff; returns false when none runs.
    bool decide(Result::Kind kind, const QList<QUrl>& entries = {}) {
        Result result;
        result.kind = kind;
        result.entries = entries;
        return decide(result);
    }
    bool decide(const Result& result) {
        if (!done_) {
            return false;
        }
        auto done = std::exchange(done_, nullptr);
        done(result);
        return true;
    }

    QList<QUrl> started;
    QList<HttpHeaders> startedHeaders;                     // the headers of each look
    HttpGet::Phase runningPhase = HttpGet::Phase::Waiting; // what phase() says while it runs

private:
    std::function<void(const Result&)> done_;
};

} // namespace orvanto::test
