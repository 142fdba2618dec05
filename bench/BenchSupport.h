#pragma once

// Helpers the benchmarks share: running the event loop as the viewer does, and memory in use.

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QTimer>
#include <unistd.h>

namespace orvanto::bench {

// Runs an event loop (as the viewer's) until `done()` or the time-out; returns done().
template <typename Predicate> bool runUntil(Predicate done, int timeoutMs) {
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() >= timeoutMs) {
            loop.quit();
        }
    });
    check.start(5);
    loop.exec();
    return done();
}

inline void runFor(int ms) {
    runUntil([] { return false; }, ms);
}

inline double mebibytes(double bytes) {
    return bytes / (1024.0 * 1024.0);
}

// Resident set size now, in bytes.
inline double residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * static_cast<double>(::sysconf(_SC_PAGESIZE))
                             : 0;
}

} // namespace orvanto::bench
