// Recording beside watching alone, for each kind the lab serves (ffmpeg's one-client MPEG-TS,
// icecast2 MP3, nginx's live HLS): the process's CPU time and resident memory over S seconds of
// watching, then over S seconds of watching and recording, and the longest gap between two
// pictures around the recording's start and stop (beside the longest while only watching).
// The player is the window's, with its video widget on Qt's platform of the caller
// (QT_QPA_PLATFORM=offscreen is enough) and libVLC's sound output off.
//
//   record_bench [--seconds S]

#include "net/StreamSniffer.h"
#include "playback/FrameExchange.h"
#include "playback/PlayState.h"
#include "playback/Recorder.h"
#include "playback/StreamPlayer.h"
#include "playback/VideoView.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "support/LabServers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

namespace {

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentMiB() {
    QFile status(u"/proc/self/statm"_s);
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = status.readAll().split(' ');
    return fields.value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The longest time between two pictures that came within `around` ms of `at` (-1: none came).
qint64 longestGap(const std::vector<qint64>& pictures, qint64 from, qint64 to) {
    qint64 longest = -1;
    for (size_t i = 1; i < pictures.size(); ++i) {
        if (pictures[i] >= from && pictures[i - 1] <= to) {
            longest = std::max(longest, pictures[i] - pictures[i - 1]);
        }
    }
    return longest;
}

void measure(const QString& kind, const QUrl& address, int seconds) {
    VlcPlayer player;
    QWidget* video = player.videoWidget();
    video->resize(329, 304);
    video->show();
    player.attach(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
                  std::make_unique<StreamSniffer>());
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> pictures;
    QObject::connect(
        player.videoView()->frames().get(), &FrameExchange::changed, video,
        [&] { pictures.push_back(clock.elapsed()); }, Qt::QueuedConnection);
    player.setURL(address.toString());
    for (int i = 0; i < 400 && player.playState() != PlayState::Playing; ++i) {
        wait(100);
    }
    if (player.playState() != PlayState::Playing) {
        std::printf("%-14s did not play\n", qPrintable(kind));
        return;
    }
    wait(3000); // past the start's buffering

    const double watchStart = cpuSeconds();
    const qint64 watchFrom = clock.elapsed();
    wait(seconds * 1000);
    const double watching = cpuSeconds() - watchStart;
    const double watchRss = residentMiB();
    const qint64 watchGap = longestGap(pictures, watchFrom, clock.elapsed());

    QTemporaryDir folder;
    Recorder recorder(player.streamPlayer());
    const double recordStart = cpuSeconds();
    const qint64 startedAt = clock.elapsed();
    const QString refusal = recorder.start({.channel = kind,
                                            .programme = {},
                                            .start = QDateTime::currentDateTime(),
                                            .folder = folder.path(),
                                            .path = {}});
    if (!refusal.isEmpty()) {
        std::printf("%-14s not recorded: %s\n", qPrintable(kind), qPrintable(refusal));
        return;
    }
    wait(seconds * 1000);
    const QString path = recorder.path();
    const qint64 bytes = recorder.bytesWritten();
    const qint64 stoppedAt = clock.elapsed();
    recorder.stop();
    wait(2000);
    const double recording = (cpuSeconds() - recordStart) * seconds / (seconds + 2.0);
    const double recordRss = residentMiB();
    const qint64 startGap = longestGap(pictures, startedAt - 2000, startedAt + 2000);
    const qint64 stopGap = longestGap(pictures, stoppedAt - 2000, stoppedAt + 2000);
    std::printf("%-14s CPU %5.1f %% watching, %5.1f %% recording too (%.2fx); RSS %6.1f / %6.1f "
                "MiB; longest picture gap %lld ms watching, %lld ms at the start, %lld ms at the "
                "stop; %.1f MB in %s\n",
                qPrintable(kind), 100.0 * watching / seconds, 100.0 * recording / seconds,
                watching > 0 ? recording / watching : 0.0, watchRss, recordRss,
                static_cast<long long>(watchGap), static_cast<long long>(startGap),
                static_cast<long long>(stopGap), double(bytes) / 1e6,
                qPrintable(QFileInfo(path).suffix()));
    player.stop();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int seconds = 20;
    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(u"--seconds"_s);
    if (at > 0 && at + 1 < args.size()) {
        seconds = qMax(5, args[at + 1].toInt());
    }
    LabServers lab;
    if (!lab.startHls() || !lab.startIcecast()) {
        std::fprintf(stderr, "record_bench: %s\n", qPrintable(lab.error()));
        return 1;
    }
    const QUrl listen = lab.startListenTs();
    std::printf("%d s of each, watching alone then watching and recording\n", seconds);
    measure(u"One-client TS"_s, listen, seconds);
    measure(u"Icecast MP3"_s, lab.icecast(u"/radio.mp3"_s), seconds);
    measure(u"HLS live"_s, lab.hls(u"/hls/live_1.m3u8"_s), seconds);
    return 0;
}
