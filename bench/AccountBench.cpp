// A provider account of 250,000 channels, from the login to the channels shown in the browser:
// the time it takes, the memory it adds at its peak and once shown, and the longest the
// window's event loop is held meanwhile. The portal is ours (tests/support/TestPortal) on
// loopback, in a process of its own, as a provider's server is. Beside the resident memory, the
// heap the viewer still uses once the channels are shown, which tells what is kept from what the
// allocator has not given back.
// Goals: at most 5 s, at most 150 MB above idle, no hold over 20 ms.
//   account_bench [--channels N] [--runs N]

#include "BenchSupport.h"
#include "app/ListOpener.h"
#include "catalogue/Catalogue.h"
#include "net/PortalAccount.h"
#include "playback/FailoverPlayer.h"
#include "playback/MediaPlayer.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/TestPortal.h"
#include "window/ChannelBrowser.h"
#include "window/ChannelListModel.h"
#include "window/Form1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QTableView>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <malloc.h>

using namespace orvanto;
using namespace orvanto::bench;

namespace {

// The peak resident memory of the process so far (VmHWM), in bytes.
double peakBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() * 1024.0;
        }
    }
    return 0;
}

// Forgets the peak so far (writing 5 to clear_refs resets VmHWM).
void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) {
        refs.write("5");
    }
}

// Times each event the window's loop hands out (4 ms and longer), so that a long hold can be
// told by what held it.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0 || !timing || QThread::currentThread() != thread()) {
            const bool done = QApplication::notify(receiver, event);
            --depth_;
            return done;
        }
        QElapsedTimer timer;
        timer.start();
        const QByteArray what = QByteArray(receiver->metaObject()->className()) + " event " +
                                QByteArray::number(int(event->type()));
        const bool done = QApplication::notify(receiver, event);
        --depth_;
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (ms >= 4.0) {
            longest.emplace_back(ms, what);
        }
        return done;
    }
    bool timing = false;
    std::vector<std::pair<double, QByteArray>> longest;

private:
    thread_local static int depth_;
};

thread_local int TimedApplication::depth_ = 0;

class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TimedApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption channelsOption(QStringLiteral("channels"), QStringLiteral("channels"),
                                            QStringLiteral("N"), QStringLiteral("250000"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("runs"),
                                        QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption serveOption(QStringLiteral("serve"),
                                         QStringLiteral("be the portal (for the benchmark)"));
    parser.addOptions({channelsOption, runsOption, serveOption});
    parser.process(app);
    const int channels = parser.value(channelsOption).toInt();
    const int runs = qMax(1, parser.value(runsOption).toInt());

    if (parser.isSet(serveOption)) {
        test::TestPortal portal;
        portal.setExpiry(QDateTime::currentSecsSinceEpoch() + 30 * 86400);
        portal.generateChannels(channels);
        portal.start();
        std::printf("%u %s %s\n", unsigned(portal.port()), qPrintable(portal.user()),
                    qPrintable(portal.password()));
        std::fflush(stdout);
        return app.exec();
    }
    // The portal runs in a process of its own, as a provider's server does: what it holds
    // while it answers is not the viewer's.
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--serve"), QStringLiteral("--channels"), QString::number(channels)});
    while (server.state() != QProcess::NotRunning && !server.canReadLine()) {
        server.waitForReadyRead(100);
    }
    const QStringList served = QString::fromUtf8(server.readLine()).trimmed().split(u' ');
    if (served.size() != 3) {
        std::fprintf(stderr, "account_bench: the portal did not start\n");
        return 1;
    }
    const PortalAccount account{QUrl(QStringLiteral("http://127.0.0.1:") + served[0]), served[1],
                                served[2]};

    std::printf("account of %d channels, %d runs\n", channels, runs);
    std::vector<double> times, holds, peaks, kept, heaps;
    for (int run = 0; run < runs; ++run) {
        Catalogue catalogue;
        test::FakePlayer player;
        test::ManualTicker ticker;
        PrintedMessages messages;
        FailoverPlayer failover{catalogue, player, ticker, messages};
        Form1 form{catalogue, failover, player, nullptr};
        form.load(
            {[](Catalogue& c) { c.AddStreamUrl(QStringLiteral("Old"), QStringLiteral("x")); }, {}});
        form.show();
        form.openChannelBrowser();
        ListOpener opener{catalogue, form, failover, player, messages};
        runFor(200);
        malloc_trim(0);
        const double idle = residentBytes();
        const double idleHeap = double(mallinfo2().uordblks);
        resetPeak();

        bool opened = false;
        QObject::connect(&opener, &ListOpener::opened, [&] { opened = true; });
        PaintWatch paints;
        auto* view = form.channelBrowser()->findChild<QTableView*>();
        view->viewport()->installEventFilter(&paints);
        LoopProbe probe;
        QElapsedTimer timer;
        timer.start();
        probe.start();
        app.longest.clear();
        app.timing = true;
        opener.openAccount(account);
        runUntil([&] { return opened; }, 120000, 1);
        paints.painted = false;
        runUntil([&] { return paints.painted; }, 5000, 1);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        // The names are made searchable a part at a time after that: the holds and the memory
        // count until they all are.
        const auto* model = qobject_cast<const ChannelListModel*>(view->model());
        runUntil([&] { return model == nullptr || model->filter().isComplete(); }, 20000, 1);
        runFor(50);
        probe.stop();
        app.timing = false;
        std::sort(app.longest.rbegin(), app.longest.rend());
        for (size_t i = 0; i < app.longest.size() && i < 3; ++i) {
            std::printf("    held %.1f ms by %s\n", app.longest[i].first,
                        app.longest[i].second.constData());
        }
        malloc_trim(0);
        if (!opened || catalogue.StationCount() != channels) {
            std::printf("  run %d: %d channels shown of %d\n", run + 1, catalogue.StationCount(),
                        channels);
        }
        times.push_back(ms);
        holds.push_back(probe.worstMs());
        peaks.push_back(mebibytes(peakBytes() - idle));
        kept.push_back(mebibytes(residentBytes() - idle));
        heaps.push_back(mebibytes(double(mallinfo2().uordblks) - idleHeap));
        std::printf("  run %d: %.0f ms to the channels shown, longest hold %.1f ms (p99 %.1f), "
                    "peak +%.0f MiB, shown +%.0f MiB (heap in use +%.0f MiB)\n",
                    run + 1, ms, probe.worstMs(), probe.percentileMs(0.99), peaks.back(),
                    kept.back(), heaps.back());
    }
    std::printf("median: %s ms to the channels shown (goal <= 5000), longest hold %.1f ms "
                "(goal <= 20), peak +%.0f MiB (goal <= 150 MB = 143 MiB), shown +%.0f MiB (heap "
                "+%.0f MiB)\n",
                qPrintable(msText(median(times))), median(holds), median(peaks), median(kept),
                median(heaps));
    server.kill();
    server.waitForFinished(5000);
    server.kill();
    server.waitForFinished(5000);
    return 0;
}
