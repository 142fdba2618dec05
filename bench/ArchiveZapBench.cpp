// From the choice of a past programme to its first decoded picture, beside the live zap of the
// same channel, on nginx serving ffmpeg's HLS on 127.0.0.1: the channel's live stream, and its
// archive (a template naming the programme's start and length) that nginx answers with a
// finished programme (a VOD playlist) whatever they are.
//
//   archive_zap_bench [--runs N]
//
// The viewer's own parts: the failover player over the real player (libVLC, dummy outputs), and
// the archive's playback over it, warmed up by one stream first as a running viewer is. From
// SelectStation() or ArchivePlayback::play() to the engine's first decoded picture (and to
// Playing). Medians of N runs (9), the two kinds taken in turn.
#include "BenchSupport.h"
#include "catalogue/Catalogue.h"
#include "core/Clock.h"
#include "core/MessageSink.h"
#include "core/QtTicker.h"
#include "net/StreamSniffer.h"
#include "playback/ArchivePlayback.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "support/LabServers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace orvanto;
using namespace orvanto::test;
using namespace orvanto::bench;

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr int GiveUpMs = 20000;

struct Zap {
    double pictureMs = -1;
    double playingMs = -1;
};

class Viewer {
public:
    Viewer() {
        auto engine = std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true});
        engine_ = engine.get();
        player_.attach(std::move(engine), std::make_unique<StreamSniffer>());
    }

    void addChannel(const QString& name, const QString& live, const Catchup& catchup) {
        catalogue_.AddStreamUrl(name, live, {}, {}, catchup);
    }

    Zap live(const QString& name) {
        return measure([&] { failover_.SelectStation(name, 0); });
    }
    Zap archive(const QString& name, const ArchiveProgramme& programme) {
        return measure([&] { archive_.play(name, {programme}, 0); });
    }

private:
    Zap measure(const std::function<void()>& choose) {
        Zap result;
        QElapsedTimer clock;
        clock.start();
        auto decoded = QObject::connect(
            engine_, &PlayerEngine::engineEvent, [&](PlayerEngine::Event event, qint64 value) {
                if (result.pictureMs < 0 && event == PlayerEngine::Event::Decoded &&
                    engine_->stats().decodedVideo > 0) {
                    result.pictureMs = double(clock.nsecsElapsed()) / 1e6;
                }
                (void)value;
            });
        choose();
        runUntil(
            [&] {
                if (result.pictureMs < 0 && engine_->stats().decodedVideo > 0) {
                    result.pictureMs = double(clock.nsecsElapsed()) / 1e6;
                }
                if (result.playingMs < 0 && player_.playState() == PlayState::Playing) {
                    result.playingMs = double(clock.nsecsElapsed()) / 1e6;
                }
                return result.pictureMs >= 0 && result.playingMs >= 0;
            },
            GiveUpMs, 1);
        QObject::disconnect(decoded);
        failover_.standDown();
        player_.stop();
        runFor(300);
        return result;
    }

    Catalogue catalogue_;
    VlcPlayer player_;
    VlcEngine* engine_ = nullptr;
    QtTicker ticker_{1000};
    PrintedMessages messages_;
    SystemClock clock_;
    FailoverPlayer failover_{catalogue_, player_, ticker_, messages_};
    ArchivePlayback archive_{catalogue_, failover_, player_, messages_, clock_};
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 9;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--runs"_s) {
            runs = qMax(1, args[i + 1].toInt());
        }
    }
    LabServers lab;
    if (!lab.startHls()) {
        std::printf("servers: %s\n", qPrintable(lab.error()));
        return 1;
    }
    runFor(3000);

    Viewer viewer;
    // The channel live, and its archive: a template naming the programme's start and length,
    // which nginx answers with the finished programme whatever they are.
    Catchup archived;
    archived.kind = Catchup::Kind::Default;
    archived.days = 7;
    archived.source = lab.hls(u"/vod/vod.m3u8"_s).toString() + u"?start={utc}&length={duration}"_s;
    viewer.addChannel(u"Channel"_s, lab.hls(u"/hls/live_0.m3u8"_s).toString(), archived);
    viewer.addChannel(u"Warm"_s, lab.hls(u"/hls/live_1.m3u8"_s).toString(), {});
    viewer.live(u"Warm"_s); // a running viewer has played something

    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const ArchiveProgramme past{now - 3 * 3600, now - 2 * 3600, u"Film"_s, {}};
    std::vector<double> live, livePlaying, archive, archivePlaying;
    for (int run = 0; run < runs; ++run) {
        const Zap l = viewer.live(u"Channel"_s);
        live.push_back(l.pictureMs);
        livePlaying.push_back(l.playingMs);
        const Zap a = viewer.archive(u"Channel"_s, past);
        archive.push_back(a.pictureMs);
        archivePlaying.push_back(a.playingMs);
    }
    std::printf("archive_zap_bench: %d runs each, medians in ms (- : no picture in %d s)\n\n", runs,
                GiveUpMs / 1000);
    std::printf("%-22s %14s %10s\n", "choice", "first picture", "(Playing)");
    std::printf("%-22s %14s %10s\n", "live HLS", qPrintable(msText(median(live))),
                qPrintable(msText(median(livePlaying))));
    std::printf("%-22s %14s %10s\n", "past programme", qPrintable(msText(median(archive))),
                qPrintable(msText(median(archivePlaying))));
    const double difference = median(archive) - median(live);
    std::printf("\narchive minus live: %s ms\n", qPrintable(msText(difference)));
    return 0;
}
