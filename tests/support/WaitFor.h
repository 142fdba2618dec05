#pragma once

#include <QDeadlineTimer>
#include <QTest>

namespace orvanto::test {

// Runs the event loop until `done()` holds or `timeoutMs` have passed; returns done(). For
// outcomes that depend on real networking and libVLC's threads: give generous bounds.
template <typename Predicate> bool waitFor(Predicate done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return done();
        }
        QTest::qWait(10);
    }
    return true;
}

} // namespace orvanto::test
