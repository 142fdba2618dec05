// The browser's check in the background of a playing viewer: a live station plays on the real
// player while the list's addresses (a third refused, a third never answering, a third playing)
// are checked on the GUI thread. Prints how long the check took, how long the event loop was
// held meanwhile, whether the station played on, and the memory in use. Asserts nothing.
//
//     browser_check_bench [ADDRESSES] [TIMEOUT_S] [JOBS]     (300 5 8)

#include "BenchSupport.h"
#include "check/ListCheck.h"
#include "check/VlcProbe.h"
#include "core/Clock.h"
#include "core/QtTicker.h"
#include "core/SteadyClock.h"
#include "net/StreamSniffer.h"
#include "playback/PlayState.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "support/TestHttpServer.h"

#include <QApplication>
#include <cstdio>

using namespace orvanto;
using namespace orvanto::bench;
using orvanto::test::TestHttpServer;
using namespace Qt::Literals::StringLiterals;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int addresses = args.size() > 1 ? args[1].toInt() : 300;
    const int timeout = args.size() > 2 ? args[2].toInt() : 5;
    const int jobs = args.size() > 3 ? args[3].toInt() : 8;

    TestHttpServer server;
    server.route(u"/station"_s, TestHttpServer::wav());
    server.route(u"/live.wav"_s, TestHttpServer::wav());
    server.route(u"/silent"_s, TestHttpServer::silent());
    server.start();

    VlcPlayer player;
    player.attach(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
                  std::make_unique<StreamSniffer>());
    player.setURL(server.url(u"/station"_s).toString());
    if (!runUntil([&] { return player.playState() == PlayState::Playing; }, 15000)) {
        std::printf("the station did not play\n");
        return 1;
    }
    int stateChanges = 0;
    QObject::connect(&player, &MediaPlayer::playStateChanged, [&] { ++stateChanges; });

    CheckList list;
    for (int i = 0; i < addresses; ++i) {
        CheckStation station{u"Channel %1"_s.arg(i), {}};
        const QString address = i % 3 == 0   ? TestHttpServer::refusedUrl().toString()
                                : i % 3 == 1 ? server.url(u"/silent"_s).toString()
                                             : server.url(u"/live.wav"_s).toString();
        station.addresses.push_back(CheckAddress{.address = address});
        list.stations.push_back(std::move(station));
    }
    QtTicker timeouts(100);
    SystemSteadyClock steady;
    SystemClock clock;
    ListCheck check([] { return std::make_unique<VlcProbe>(); }, timeouts, steady, clock,
                    CheckRun::Options{jobs, qint64(timeout) * 1000});
    int playing = -1;
    QObject::connect(&check, &ListCheck::finished,
                     [&](const CheckSummary& summary) { playing = summary.stationsPlaying(); });

    const double residentBefore = residentBytes();
    double residentPeak = residentBefore;
    QTimer memory;
    QObject::connect(&memory, &QTimer::timeout,
                     [&] { residentPeak = std::max(residentPeak, residentBytes()); });
    memory.start(100);
    LoopProbe probe;
    QElapsedTimer wall;
    wall.start();
    probe.start();
    check.start(std::move(list));
    runUntil([&] { return !check.isRunning(); }, (addresses * timeout * 2 + 60) * 1000);
    probe.stop();
    memory.stop();

    const double ideal = double(addresses / 3) * timeout / jobs; // the silent third dominates
    std::printf("%d addresses, %d jobs, %d s limit: %.1f s (ideal %.1f s), %d of %d play\n",
                addresses, jobs, timeout, double(wall.elapsed()) / 1000.0, ideal, playing,
                addresses);
    std::printf("event loop held: worst %.1f ms, 99th percentile %.2f ms\n", probe.worstMs(),
                probe.percentileMs(0.99));
    std::printf("the station: %s, %d changes of state during the check\n",
                player.playState() == PlayState::Playing ? "still playing" : "interrupted",
                stateChanges);
    std::printf("resident memory: %.0f MiB before, %.0f MiB at the most\n",
                mebibytes(residentBefore), mebibytes(residentPeak));
    player.stop();
    return 0;
}
