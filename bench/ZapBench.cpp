// From a station choice to the first decoded audio or video, per kind of stream, on real
// servers on 127.0.0.1 (nginx with ffmpeg's live HLS, icecast2 fed by ffmpeg, a SHOUTcast
// server, ffmpeg's one-client MPEG-TS), beside vlc and mpv measured in the same run.
//
//   zap_bench [--runs N] [--as USER]
//
// The viewer: the failover player over the real player (libVLC, dummy outputs), warmed up by
// one stream first as a running viewer is; from SelectStation() to the engine's first report
// of a decoded block or picture, and to the player's Playing (which may follow at once). vlc (cvlc
// -vv, dummy outputs) and mpv (-v, null outputs): from the log line that starts the input
// ("Creating an input", "Opening") to the first one that needs a decoded block (the audio
// output's input format, mpv's "AO:"/"VO:"), and from exec. vlc refuses to run as root: with
// --as it runs as that user. Medians of N runs (5) are printed.
#include "BenchSupport.h"
#include "catalogue/Catalogue.h"
#include "core/MessageSink.h"
#include "core/QtTicker.h"
#include "net/StreamSniffer.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "support/LabServers.h"
#include "support/TestHttpServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
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

struct Kind {
    QString name;
    std::function<QUrl()> address; // a fresh one for each run where the server needs it
};

// The viewer's zap: choice to first decoded block, and to Playing; -1 when it did not come.
struct ViewerZap {
    double decodedMs = -1;
    double playingMs = -1;
};

class Viewer {
public:
    Viewer() {
        auto engine = std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true});
        engine_ = engine.get();
        player_.attach(std::move(engine), std::make_unique<StreamSniffer>());
        failover_ = std::make_unique<FailoverPlayer>(catalogue_, player_, ticker_, messages_);
    }

    ViewerZap zap(const QUrl& address) {
        const QString name = u"Station %1"_s.arg(++stations_);
        catalogue_.AddStreamUrl(name, address.toString());
        ViewerZap result;
        QElapsedTimer clock;
        clock.start();
        // The engine's first report of a decoded block or picture.
        auto decoded = QObject::connect(
            engine_, &PlayerEngine::engineEvent, [&](PlayerEngine::Event event, qint64 value) {
                if (result.decodedMs < 0 && value > 0 &&
                    (event == PlayerEngine::Event::Decoded || event == PlayerEngine::Event::Vout)) {
                    result.decodedMs = double(clock.nsecsElapsed()) / 1e6;
                }
            });
        failover_->SelectStation(name, 0);
        runUntil(
            [&] {
                if (result.playingMs < 0 && player_.playState() == PlayState::Playing) {
                    result.playingMs = double(clock.nsecsElapsed()) / 1e6;
                }
                return result.decodedMs >= 0 && result.playingMs >= 0;
            },
            GiveUpMs, 1);
        QObject::disconnect(decoded);
        failover_->standDown();
        player_.stop();
        runFor(300);
        return result;
    }

private:
    Catalogue catalogue_;
    VlcPlayer player_;
    VlcEngine* engine_ = nullptr;
    QtTicker ticker_{1000};
    PrintedMessages messages_;
    std::unique_ptr<FailoverPlayer> failover_;
    int stations_ = 0;
};

// Another player's zap, read from its log: from the start of its input, and from exec.
struct PlayerZap {
    double fromInputMs = -1;
    double fromExecMs = -1;
};

PlayerZap runPlayer(const QString& program, const QStringList& arguments,
                    const QRegularExpression& inputStarts, const QRegularExpression& decoded) {
    PlayerZap result;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    double inputMs = -1;
    QByteArray pending;
    bool done = false;
    QObject::connect(&process, &QProcess::readyRead, [&] {
        pending += process.readAll();
        qsizetype end = 0;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            const double now = double(clock.nsecsElapsed()) / 1e6;
            if (inputMs < 0 && line.contains(inputStarts)) {
                inputMs = now;
            } else if (inputMs >= 0 && !done && line.contains(decoded)) {
                result.fromInputMs = now - inputMs;
                result.fromExecMs = now;
                done = true;
            }
        }
    });
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) {
        std::printf("  cannot start %s: %s\n", qPrintable(program),
                    qPrintable(process.errorString()));
        return result;
    }
    runUntil([&] { return done || process.state() == QProcess::NotRunning; }, GiveUpMs, 1);
    process.kill();
    process.waitForFinished(3000);
    return result;
}

PlayerZap vlcZap(const QUrl& address, const QString& user) {
    QStringList arguments{u"-vv"_s, u"--aout=dummy"_s, u"--vout=dummy"_s,
                          u"--no-video-title-show"_s, address.toString()};
    QString program = u"cvlc"_s;
    if (!user.isEmpty()) {
        // setpriv execs vlc itself, so that killing the process ends vlc.
        arguments =
            QStringList{u"--reuid="_s + user, u"--regid="_s + user, u"--init-groups"_s, u"cvlc"_s} +
            arguments;
        program = u"setpriv"_s;
    }
    static const QRegularExpression input(
        u"main input debug: Creating an input for '(?!Media Library)"_s);
    static const QRegularExpression decoded(
        u"main audio output debug: input '|vout display debug: using|main video output debug: original format"_s);
    return runPlayer(program, arguments, input, decoded);
}

PlayerZap mpvZap(const QUrl& address) {
    static const QRegularExpression input(u"\\] Opening "_s);
    static const QRegularExpression decoded(u"\\[cplayer\\] (AO|VO): \\["_s);
    return runPlayer(
        u"mpv"_s, {u"--no-config"_s, u"--ao=null"_s, u"--vo=null"_s, u"-v"_s, address.toString()},
        input, decoded);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 5;
    QString user;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--runs"_s) {
            runs = qMax(1, args[i + 1].toInt());
        } else if (args[i] == u"--as"_s) {
            user = args[i + 1];
        }
    }

    LabServers lab;
    TestHttpServer shoutcast;
    if (!lab.startHls() || !lab.startIcecast()) {
        std::printf("servers: %s\n", qPrintable(lab.error()));
        return 1;
    }
    shoutcast.route(u"/;stream.mp3"_s, TestHttpServer::icy(lab.mp3(10), 8000));
    shoutcast.start();
    runFor(3000); // the radios' sources have been on the air a while, as a listener finds them

    std::vector<Kind> kinds{
        {u"HLS live"_s, [&] { return lab.hls(u"/hls/live_0.m3u8"_s); }},
        {u"Icecast MP3"_s, [&] { return lab.icecast(u"/radio.mp3"_s); }},
        {u"SHOUTcast"_s, [&] { return shoutcast.url(u"/;stream.mp3"_s); }},
        {u"TS, one client"_s,
         [&] {
             runFor(1000); // ffmpeg's encoder under way, as a channel on the air
             return lab.startListenTs();
         }},
    };

    Viewer viewer;
    viewer.zap(lab.hls(u"/hls/live_1.m3u8"_s)); // a running viewer has played something

    std::printf("zap_bench: %d runs per kind, medians in ms (- : no decoded output in %d s)\n\n",
                runs, GiveUpMs / 1000);
    std::printf("%-16s %10s %10s %12s %10s %12s %10s\n", "kind", "viewer", "(Playing)",
                "vlc (input)", "(exec)", "mpv (input)", "(exec)");
    for (const Kind& kind : kinds) {
        std::vector<double> ours, playing, vlcInput, vlcExec, mpvInput, mpvExec;
        for (int run = 0; run < runs; ++run) {
            const ViewerZap zap = viewer.zap(kind.address());
            ours.push_back(zap.decodedMs);
            playing.push_back(zap.playingMs);
            const PlayerZap vlc = vlcZap(kind.address(), user);
            vlcInput.push_back(vlc.fromInputMs);
            vlcExec.push_back(vlc.fromExecMs);
            const PlayerZap mpv = mpvZap(kind.address());
            mpvInput.push_back(mpv.fromInputMs);
            mpvExec.push_back(mpv.fromExecMs);
        }
        std::printf("%-16s %10s %10s %12s %10s %12s %10s\n", qPrintable(kind.name),
                    qPrintable(msText(median(ours))), qPrintable(msText(median(playing))),
                    qPrintable(msText(median(vlcInput))), qPrintable(msText(median(vlcExec))),
                    qPrintable(msText(median(mpvInput))), qPrintable(msText(median(mpvExec))));
        std::fflush(stdout);
    }
    return 0;
}
