// A long run of station switches over loopback servers of every kind a station may lead to:
// live, refused, silent, header drip, endless header, 4 GiB drip, a playlist and a web page,
// in one process with the real player and the failover player. Prints whether every live
// station played on its turn, resident memory after the first 100 switches and at the end, and
// open file descriptors before and after.
//
//   soak_bench [SWITCHES] [INTERVAL_MS]     defaults: 1000 switches, 300 ms apart

#include "BenchSupport.h"
#include "catalogue/Catalogue.h"
#include "core/MessageSink.h"
#include "core/QtTicker.h"
#include "net/StreamSniffer.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "support/ProcessUsage.h"
#include "support/TestHttpServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

using namespace orvanto;
using orvanto::test::ProcessUsage;
using orvanto::test::TestHttpServer;

using namespace orvanto::bench;

namespace {

class CountedMessages final : public MessageSink {
public:
    void showMessage(const QString&, const QString&, Icon) override { ++count; }
    int count = 0;
};

double mib(qint64 bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int switches = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int intervalMs = argc > 2 ? std::atoi(argv[2]) : 300;

    using S = TestHttpServer;
    TestHttpServer server;
    server.route(QStringLiteral("/live"), S::wav());
    server.route(QStringLiteral("/silent"), S::silent());
    server.route(QStringLiteral("/head-drip"), S::endlessHead(1));
    server.route(QStringLiteral("/endless-head"), S::endlessHead(4 * 1024));
    server.route(QStringLiteral("/drip"), S::drip(16));
    server.route(QStringLiteral("/html"),
                 S::body("text/html", "<!DOCTYPE html>\n<html><body>Off the air</body></html>"));
    server.start();
    server.route(QStringLiteral("/list.asx"),
                 S::body("video/x-ms-asf", "<asx><entry><ref href=\"" +
                                               server.url(QStringLiteral("/live")).toEncoded() +
                                               "\"/></entry></asx>"));

    struct Kind {
        const char* name;
        QString url;
        bool live;
    };
    const Kind kinds[] = {
        {"Live", server.url(QStringLiteral("/live")).toString(), true},
        {"Refused", TestHttpServer::refusedUrl().toString(), false},
        {"Silent", server.url(QStringLiteral("/silent")).toString(), false},
        {"HeadDrip", server.url(QStringLiteral("/head-drip")).toString(), false},
        {"EndlessHead", server.url(QStringLiteral("/endless-head")).toString(), false},
        {"Drip", server.url(QStringLiteral("/drip")).toString(), false},
        {"Playlist", server.url(QStringLiteral("/list.asx")).toString(), true},
        {"Html", server.url(QStringLiteral("/html")).toString(), false},
    };
    Catalogue catalogue;
    for (const Kind& kind : kinds) {
        catalogue.AddStreamUrl(QString::fromLatin1(kind.name), kind.url);
    }

    VlcPlayer player;
    player.attach(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
                  std::make_unique<StreamSniffer>());
    QtTicker ticker;
    CountedMessages messages;
    FailoverPlayer failover(catalogue, player, ticker, messages);
    runFor(1000);
    const ProcessUsage start = ProcessUsage::now();
    ProcessUsage after100 = start;

    int liveTurns = 0;
    int livePlayed = 0;
    qint64 worstLiveMs = 0;
    qint64 totalLiveMs = 0;
    QElapsedTimer wall;
    wall.start();
    for (int i = 0; i < switches; ++i) {
        const Kind& kind = kinds[i % std::size(kinds)];
        QElapsedTimer turn;
        turn.start();
        failover.SelectStation(QString::fromLatin1(kind.name), 0);
        if (kind.live) {
            ++liveTurns;
            if (runUntil([&] { return player.playState() == PlayState::Playing; }, 15000)) {
                ++livePlayed;
                worstLiveMs = std::max(worstLiveMs, turn.elapsed());
                totalLiveMs += turn.elapsed();
            } else {
                std::printf("  switch %d: %s did not play (state %d)\n", i + 1, kind.name,
                            player.playState());
            }
        }
        runFor(static_cast<int>(std::max<qint64>(0, intervalMs - turn.elapsed())));
        if (i + 1 == 100) {
            after100 = ProcessUsage::now();
        }
        if ((i + 1) % 100 == 0) {
            const ProcessUsage now = ProcessUsage::now();
            std::printf("  %4d switches: RSS %.1f MiB, %d fds, CPU %.1f s\n", i + 1,
                        mib(now.residentBytes), now.openFiles, now.cpu.count() / 1000.0);
            std::fflush(stdout);
        }
    }
    failover.standDown();
    player.stop();
    runUntil([&] { return server.openConnections() == 0; }, 5000);
    runFor(1000);
    const ProcessUsage end = ProcessUsage::now();

    std::printf("\nSoak: %d switches, %d ms apart, %.0f s\n", switches, intervalMs,
                static_cast<double>(wall.elapsed()) / 1000.0);
    std::printf("  live stations played on their turn: %d of %d (mean %.0f ms, worst %lld ms to "
                "Playing)\n",
                livePlayed, liveTurns,
                livePlayed > 0 ? static_cast<double>(totalLiveMs) / livePlayed : 0.0,
                static_cast<long long>(worstLiveMs));
    std::printf("  RSS: start %.1f MiB, after 100 switches %.1f MiB, end %.1f MiB (%+.1f %%)\n",
                mib(start.residentBytes), mib(after100.residentBytes), mib(end.residentBytes),
                100.0 * static_cast<double>(end.residentBytes - after100.residentBytes) /
                    static_cast<double>(after100.residentBytes));
    std::printf("  open fds: start %d, end %d; server connections left open: %d\n", start.openFiles,
                end.openFiles, server.openConnections());
    std::printf("  CPU: %.1f s in all; messages shown: %d\n",
                (end.cpu - start.cpu).count() / 1000.0, messages.count);
    std::fflush(stdout); // before a sanitizer's report at exit
    return livePlayed == liveTurns ? 0 : 1;
}
