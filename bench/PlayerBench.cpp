// Measures the real player against loopback servers: how long a station of dead addresses
// takes to reach its live one, how long the GUI event loop is held meanwhile, how long stop()
// takes on a server that never answers, and the CPU the viewer uses while an attempt ticks.
//
//   player_bench            all measurements (about a minute)
//   player_bench --quick    fewer repetitions

#include "BenchSupport.h"
#include "catalogue/Catalogue.h"
#include "core/MessageSink.h"
#include "core/QtTicker.h"
#include "net/StreamSniffer.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "support/TestHttpServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace orvanto;
using orvanto::test::TestHttpServer;

using namespace orvanto::bench;

namespace {

// The real engine with libVLC's dummy outputs.
void attachEngine(VlcPlayer& player) {
    player.attach(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
                  std::make_unique<StreamSniffer>());
}

// Holds messages instead of showing them (a modal box would block the measurement).
class NoMessages final : public MessageSink {
public:
    void showMessage(const QString&, const QString& text, Icon) override {
        std::printf("  message: %s\n", qPrintable(text));
    }
};

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

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU of the viewer alone: the process without the test server's thread.
double viewerCpuSeconds(const TestHttpServer& server) {
    return processCpuSeconds() - std::chrono::duration<double>(server.cpuTime()).count();
}

void benchFailover(TestHttpServer& server, LoopProbe& probe) {
    std::printf("\n2. Station of 5 refused addresses, then a live stream (1 s tick)\n");
    Catalogue catalogue;
    for (int i = 0; i < 5; ++i) {
        catalogue.AddStreamUrl(QStringLiteral("Bench"), TestHttpServer::refusedUrl().toString());
    }
    catalogue.AddStreamUrl(QStringLiteral("Bench"), server.url(QStringLiteral("/live")).toString());
    VlcPlayer player;
    attachEngine(player);
    QtTicker ticker;
    NoMessages messages;
    FailoverPlayer failover(catalogue, player, ticker, messages);
    int ticks = 0;
    QObject::connect(&failover, &FailoverPlayer::statusTextChanged, [&](const QString& text) {
        if (text.count(QLatin1Char(' ')) == 2) {
            ++ticks; // a progress text: one reading of the player
        }
    });
    bool accepted = false;
    QObject::connect(&failover, &FailoverPlayer::stationAccepted, [&] { accepted = true; });

    const double cpu0 = viewerCpuSeconds(server);
    probe.start();
    QElapsedTimer clock;
    clock.start();
    failover.SelectStation(QStringLiteral("Bench"), 0);
    runUntil([&] { return accepted; }, 120000);
    const double wall = static_cast<double>(clock.elapsed()) / 1000.0;
    probe.stop();
    const double cpu = viewerCpuSeconds(server) - cpu0;
    std::printf("  accepted: %s at slot %d\n", accepted ? "yes" : "NO", failover.CurrentUrlIndex());
    std::printf("  wall time SelectStation -> acceptance: %.2f s (%d readings)\n", wall, ticks);
    std::printf("  ideal by the tick rules (5 x 1 tick + 5 ticks): 10 s; the failover player's\n"
                "  loop needs 2 ticks per refused address (Ready is read in the tick after the\n"
                "  first reading, the next address starts one tick later) and accepts in the\n"
                "  tick after the 5th Playing reading: 5 x 2 + 6 = 16 ticks\n");
    std::printf("  GUI loop held (1 ms timer lateness): worst %.2f ms, p99 %.2f ms, p50 %.2f ms\n",
                probe.worstMs() - 1, probe.percentileMs(0.99) - 1, probe.percentileMs(0.5) - 1);
    std::printf("  viewer CPU: %.3f s in %.1f s = %.1f %% of one core\n", cpu, wall,
                100 * cpu / wall);
}

void benchStop(TestHttpServer& server, LoopProbe& probe, int rounds) {
    std::printf("\n1. stop() on servers that accepted the connection and never answer\n");
    QUrl mms = server.url(QStringLiteral("/silent"));
    mms.setScheme(QStringLiteral("mms"));
    const struct {
        const char* what;
        QString url;
    } cases[] = {
        {"http, silent before the headers (playlist check waiting)",
         server.url(QStringLiteral("/silent")).toString()},
        {"http, silent after 12 bytes of WAV (libVLC inside its read)",
         server.url(QStringLiteral("/trickle")).toString()},
        {"mms://, silent (libVLC's MMS access)", mms.toString()},
    };
    VlcPlayer player;
    attachEngine(player);
    runFor(500); // as shortly after the start of the viewer
    for (const auto& c : cases) {
        std::vector<double> times;
        double worstLoop = 0;
        for (int i = 0; i < rounds; ++i) {
            probe.start();
            player.setURL(c.url);
            runFor(300);
            QElapsedTimer clock;
            clock.start();
            player.stop();
            times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            runFor(20);
            probe.stop();
            worstLoop = std::max(worstLoop, probe.worstMs() - 1);
        }
        std::sort(times.begin(), times.end());
        std::printf("  %s:\n    stop() median %.2f ms, worst %.2f ms over %d; state %d; GUI loop "
                    "held at most %.2f ms\n",
                    c.what, times[times.size() / 2], times.back(), rounds, player.playState(),
                    worstLoop);
        if (c.url.contains(QLatin1String("trickle"))) {
            std::printf("    (libVLC itself opened the address %d times)\n",
                        server.requests(QStringLiteral("/trickle")) - rounds);
        }
    }
}

void benchCpu(TestHttpServer& server, LoopProbe& probe, int seconds) {
    std::printf("\n3. Viewer CPU while an attempt ticks (%d s each)\n", seconds);
    const struct {
        const char* what;
        const char* path;
    } cases[] = {{"opening a server that never answers", "/trickle"},
                 {"playing a live 512 kbit/s WAV stream", "/live"}};
    for (const auto& c : cases) {
        Catalogue catalogue;
        catalogue.AddStreamUrl(QStringLiteral("Cpu"),
                               server.url(QString::fromLatin1(c.path)).toString());
        VlcPlayer player;
        attachEngine(player);
        QtTicker ticker;
        NoMessages messages;
        FailoverPlayer failover(catalogue, player, ticker, messages);
        failover.SelectStation(QStringLiteral("Cpu"), 0);
        runFor(1000); // settle
        const double cpu0 = viewerCpuSeconds(server);
        QElapsedTimer clock;
        clock.start();
        runFor(seconds * 1000);
        const double wall = static_cast<double>(clock.elapsed()) / 1000.0;
        const double cpu = viewerCpuSeconds(server) - cpu0;
        probe.start(); // afterwards: the probe's own wake-ups would count as CPU
        runFor(seconds * 1000);
        probe.stop();
        std::printf("  %s: %.1f %% of one core (state %d); GUI loop held at most %.2f ms\n", c.what,
                    100 * cpu / wall, player.playState(), probe.worstMs() - 1);
    }
    std::printf("  (libVLC with dummy outputs; the bench's loop wakes every 5 ms)\n");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));

    TestHttpServer server;
    server.start();
    server.route(QStringLiteral("/live"), TestHttpServer::wav());
    server.route(QStringLiteral("/silent"), TestHttpServer::silent());
    server.route(QStringLiteral("/trickle"), TestHttpServer::trickle());

    LoopProbe probe;
    std::printf("Player benchmark (libVLC dummy outputs, loopback servers)\n");
    benchStop(server, probe, quick ? 5 : 20); // first: libVLC as fresh as after start-up
    benchFailover(server, probe);
    benchCpu(server, probe, quick ? 3 : 10);
    return 0;
}
