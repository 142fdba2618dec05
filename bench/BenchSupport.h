#pragma once

// Helpers the benchmarks share: running the event loop as the viewer does, how long the loop is
// held, and memory in use.

#include "core/MessageSink.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace orvanto::bench {

// Runs an event loop (as the viewer's) until `done()` or the time-out, asking every
// `everyMs`; returns done().
template <typename Predicate> bool runUntil(Predicate done, int timeoutMs, int everyMs = 5) {
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() >= timeoutMs) {
            loop.quit();
        }
    });
    check.setTimerType(Qt::PreciseTimer);
    check.start(everyMs);
    loop.exec();
    return done();
}

inline void runFor(int ms) {
    runUntil([] { return false; }, ms);
}

// The median of the values that were measured (-1 stands for none); -1 when there are none.
inline double median(std::vector<double> values) {
    values.erase(std::remove(values.begin(), values.end(), -1.0), values.end());
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Milliseconds as printed, "-" for none measured.
inline QString msText(double value) {
    return value < 0 ? QStringLiteral("-") : QString::number(value, 'f', 0);
}

// Boxes a benchmark's viewer would show, printed instead.
class PrintedMessages final : public MessageSink {
public:
    void showMessage(const QString&, const QString& text, Icon) override {
        std::printf("  message: %s\n", qPrintable(text));
    }
};

inline double mebibytes(double bytes) {
    return bytes / (1024.0 * 1024.0);
}

// A 1 ms timer on the GUI thread: how late it fires tells how long the loop was held.
class LoopProbe {
public:
    LoopProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            gaps_.push_back(now - last_);
            last_ = now;
        });
    }
    void start() {
        gaps_.clear();
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    void stop() { timer_.stop(); }
    double worstMs() const {
        return gaps_.empty() ? 0 : *std::max_element(gaps_.begin(), gaps_.end()) / 1e6;
    }
    double percentileMs(double p) const {
        if (gaps_.empty()) {
            return 0;
        }
        auto sorted = gaps_;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<size_t>(p * static_cast<double>(sorted.size() - 1))] / 1e6;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    std::vector<qint64> gaps_;
};

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

// The peak resident memory since the start, or since resetPeakResident().
inline double peakResident() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toDouble() * 1024;
        }
    }
    return 0;
}

inline void resetPeakResident() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

} // namespace orvanto::bench
