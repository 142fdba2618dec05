#pragma once

#include "check/AddressProbe.h"

#include <QHash>
#include <QStringList>
#include <memory>
#include <vector>

namespace orvanto::test {

// Probes whose answers the test gives: every probe started is recorded in a shared log, and
// answer() delivers a verdict for the address being checked.
class FakeProbes {
public:
    class Probe final : public AddressProbe {
    public:
        explicit Probe(FakeProbes& owner) : owner_(owner) {}
        void start(const StreamAddress& address, Done done) override {
            address_ = address.url;
            owner_.headers.insert(address.url, address.headers);
            done_ = std::move(done);
            owner_.started << address.url;
            owner_.running.insert(address.url, this);
        }
        void cancel() override {
            owner_.cancelled << address_;
            owner_.running.remove(address_);
            done_ = nullptr;
        }
        void answer(const Verdict& verdict) {
            owner_.running.remove(address_);
            auto done = std::move(done_);
            if (done) {
                done(verdict);
            }
        }

    private:
        FakeProbes& owner_;
        QString address_;
        Done done_;
    };

    ProbeFactory factory() {
        return [this] {
            ++made;
            return std::make_unique<Probe>(*this);
        };
    }

    // Answers the check of `address` (which must be running) with `kind`.
    bool answer(const QString& address, Verdict::Kind kind) {
        Probe* probe = running.value(address);
        if (!probe) {
            return false;
        }
        Verdict verdict;
        verdict.kind = kind;
        probe->answer(verdict);
        return true;
    }

    int made = 0;
    QStringList started;
    QStringList cancelled;
    QHash<QString, Probe*> running;
    QHash<QString, HttpHeaders> headers; // of each address started
};

} // namespace orvanto::test
