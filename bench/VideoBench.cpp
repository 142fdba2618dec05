// The picture path beside the vlc program (its default output and its X11 output): 60 s of 1080p30
// and of 720p30 H.264 (made with ffmpeg here, served from 127.0.0.1 as MPEG-TS over HTTP), played
// in a window the size of the viewer's player and in full screen, on a private Xvfb display under
// openbox. For each: the CPU time of the process, the pictures libVLC showed and lost (its own
// statistics), for the viewer also the pictures that never reached the screen, and the resident
// memory, each program in a process of its own, one after the other.
//
//   video_bench [--seconds S] [--runs N] [--windowed] [--with-opengl] [--clips DIR]
//
// --seconds: how long each is measured (60); --runs: how many times each pair runs, the
// programs' order alternating (1); --windowed: no full-screen runs; --with-opengl: the viewer
// also with its OpenGL drawing forced (as --video-output=opengl), where it would not choose it;
// --clips: a folder to make the clips in and keep them for the next time (else a scratch
// folder). vlc refuses to run as root:
// as root it runs as the user nobody. Build in Release for numbers that mean something.
//
// The viewer's side is this program itself, started again with --player URL: the viewer's own
// player and video widget in a window as large as the viewer's, answering "stats" and "quit" on
// standard input as vlc's rc interface does.

#include "MeasuredProgram.h"
#include "VideoBenchPlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

using namespace orvanto;
using namespace orvanto::bench;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

constexpr int ScreenWidth = 1280;
constexpr int ScreenHeight = 1024;

// A clip of `seconds` of H.264 at `height` lines and 30 frames a second, with AAC sound, as
// MPEG-TS (what live streams and HLS carry); kept when it is there already.
bool makeClip(const QString& path, int height, int seconds) {
    if (QFile::exists(path)) {
        return true;
    }
    std::printf("making %s ...\n", qUtf8Printable(QFileInfo(path).fileName()));
    std::fflush(stdout);
    const int width = height * 16 / 9;
    const QString partial = path + s(".part");
    const bool made = run(s("ffmpeg"),
                          {s("-loglevel"),
                           s("error"),
                           s("-y"),
                           s("-f"),
                           s("lavfi"),
                           s("-i"),
                           s("testsrc2=size=%1x%2:rate=30").arg(width).arg(height),
                           s("-f"),
                           s("lavfi"),
                           s("-i"),
                           s("sine=frequency=440:sample_rate=48000"),
                           s("-t"),
                           QString::number(seconds),
                           s("-c:v"),
                           s("libx264"),
                           s("-preset"),
                           s("veryfast"),
                           s("-g"),
                           s("60"),
                           s("-pix_fmt"),
                           s("yuv420p"),
                           s("-b:v"),
                           height >= 1080 ? s("6M") : s("3M"),
                           s("-c:a"),
                           s("aac"),
                           s("-b:a"),
                           s("128k"),
                           s("-f"),
                           s("mpegts"),
                           partial},
                          30 * 60 * 1000);
    return made && QFile::rename(partial, path);
}

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

void printResults(const QString& title, const std::vector<Result>& results, int seconds) {
    std::printf("\n%s\n", qUtf8Printable(title));
    std::printf("  %-12s %8s %7s %8s %6s %10s %8s\n", "", "CPU s", "% core", "shown", "lost",
                "not drawn", "RSS MiB");
    for (const Result& r : results) {
        if (!r.ok) {
            std::printf("  %-12s (no result)\n", qUtf8Printable(r.name));
            continue;
        }
        const QString notDrawn =
            r.counts.painted < 0
                ? s("-")
                : QString::number(std::max(0, r.counts.displayed - r.counts.painted));
        std::printf("  %-12s %8.2f %7.1f %8d %6d %10s %8.1f\n", qUtf8Printable(r.name), r.cpu,
                    100.0 * r.cpu / seconds, r.counts.displayed, r.counts.lost,
                    qUtf8Printable(notDrawn), r.rss);
    }
}

int runBench(const QStringList& arguments) {
    int seconds = 60;
    int runs = 1;
    bool windowedOnly = false;
    bool withOpenGl = false;
    QString clips;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == s("--seconds") && i + 1 < arguments.size()) {
            seconds = std::max(5, arguments[++i].toInt());
        } else if (a == s("--runs") && i + 1 < arguments.size()) {
            runs = std::max(1, arguments[++i].toInt());
        } else if (a == s("--windowed")) {
            windowedOnly = true;
        } else if (a == s("--with-opengl")) {
            withOpenGl = true;
        } else if (a == s("--clips") && i + 1 < arguments.size()) {
            clips = arguments[++i];
        } else {
            std::fprintf(stderr, "usage: video_bench [--seconds S] [--runs N] [--windowed] "
                                 "[--with-opengl] [--clips DIR]\n");
            return 2;
        }
    }
#ifndef NDEBUG
    std::printf("note: a Debug build; the viewer's CPU time is higher than a Release build's\n");
#endif
    for (const char* tool : {"ffmpeg", "Xvfb", "openbox", "vlc", "python3"}) {
        if (QStandardPaths::findExecutable(s(tool)).isEmpty()) {
            std::fprintf(stderr,
                         "video_bench: %s is missing (Debian: ffmpeg xvfb openbox vlc "
                         "python3)\n",
                         tool);
            return 1;
        }
    }
    QTemporaryDir scratch;
    if (clips.isEmpty()) {
        clips = scratch.filePath(s("clips"));
    }
    QDir().mkpath(clips);
    QFile::setPermissions(clips, QFile::permissions(clips) | QFileDevice::ReadOther |
                                     QFileDevice::ExeOther);
    struct Clip {
        const char* title;
        QString file;
        int height;
    };
    // Long enough for the start, the settling and the measurement.
    const int length = seconds + 40;
    const std::vector<Clip> clipList{{"1080p30 H.264", s("1080p30-%1s.ts").arg(length), 1080},
                                     {"720p30 H.264", s("720p30-%1s.ts").arg(length), 720}};
    for (const Clip& clip : clipList) {
        if (!makeClip(QDir(clips).filePath(clip.file), clip.height, length)) {
            std::fprintf(stderr, "video_bench: ffmpeg could not make %s\n",
                         qUtf8Printable(clip.file));
            return 1;
        }
    }

    Background background;
    const int port = freePort();
    background.start(s("python3"), {s("-m"), s("http.server"), QString::number(port), s("--bind"),
                                    s("127.0.0.1"), s("--directory"), clips});
    const QString display = s(":%1").arg(140 + ::getpid() % 50);
    background.start(s("Xvfb"), {display, s("-screen"), s("0"),
                                 s("%1x%2x24").arg(ScreenWidth).arg(ScreenHeight), s("-ac"),
                                 s("-noreset"), s("-nolisten"), s("tcp")});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(s("DISPLAY"), display);
    environment.insert(s("QT_QPA_PLATFORM"), s("xcb"));
    environment.remove(s("WAYLAND_DISPLAY"));
    QElapsedTimer clock;
    clock.start();
    while (!run(s("xprop"), {s("-display"), display, s("-root")}, 2000, true) &&
           clock.elapsed() < 10000) {
        pause(100);
    }
    background.start(s("openbox"), {s("--sm-disable")}, environment);
    pause(1000);

    // vlc as the user nobody when this runs as root (vlc refuses root), with a home of its own.
    QString vlc = s("vlc");
    QStringList vlcPrefix;
    QProcessEnvironment vlcEnvironment = environment;
    const QString vlcHome = scratch.filePath(s("vlc-home"));
    QDir().mkpath(vlcHome);
    QFile::setPermissions(vlcHome, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                       QFileDevice::WriteOther | QFileDevice::ExeOther);
    QFile::setPermissions(scratch.path(), QFile::permissions(scratch.path()) |
                                              QFileDevice::ExeOther | QFileDevice::ReadOther);
    vlcEnvironment.insert(s("HOME"), vlcHome);
    if (::geteuid() == 0) {
        vlc = s("setpriv");
        vlcPrefix = {s("--reuid=nobody"), s("--regid=nogroup"), s("--clear-groups"), s("vlc")};
    }
    const QString self = QCoreApplication::applicationFilePath();

    std::printf("\n%d s measured after a settled start; CPU of each process (all its threads); "
                "shown/lost: libVLC's own counts of pictures displayed and dropped as too late; "
                "not drawn: shown by libVLC but never painted by the viewer\n",
                seconds);
    struct Ratio {
        QString title;
        double vlc = 0; // its default output
        double x11 = 0;
    };
    std::vector<Ratio> ratios;
    for (const Clip& clip : clipList) {
        const QString url = s("http://127.0.0.1:%1/%2").arg(port).arg(clip.file);
        for (const bool fullScreen : {false, true}) {
            if (fullScreen && windowedOnly) {
                continue;
            }
            const double zoom = double(PictureRoom.width()) / (clip.height * 16 / 9);
            std::vector<Result> ours;
            std::vector<Result> openGl;
            std::vector<Result> theirs;
            std::vector<Result> theirsX11;
            for (int r = 0; r < runs; ++r) {
                const auto measureOurs = [&] {
                    QStringList player{s("--player"), url};
                    if (fullScreen) {
                        player << s("--fullscreen");
                    }
                    {
                        Measured program(s("orvanto-tv"), self, player, environment);
                        ours.push_back(measure(program, seconds));
                    } // ended before the next starts
                    if (withOpenGl) {
                        Measured forced(s("(opengl)"), self, player << s("--opengl"), environment);
                        openGl.push_back(measure(forced, seconds));
                    }
                };
                // vlc with its default output (OpenGL, on llvmpipe where no GPU is), and
                // with its X11 output, its cheapest.
                const auto measureVlc = [&](bool x11) {
                    QStringList options = vlcPrefix;
                    if (x11) {
                        options << s("--vout=xcb_x11");
                    }
                    options << s("-I") << s("oldrc") << s("--rc-fake-tty") << s("--aout=dummy")
                            << s("--no-video-title-show") << s("--no-qt-privacy-ask")
                            << s("--no-metadata-network-access");
                    options << (fullScreen ? s("--fullscreen")
                                           : s("--zoom=%1").arg(zoom, 0, 'f', 4));
                    options << url;
                    Measured program(s(x11 ? "vlc xcb_x11" : "vlc"), vlc, options, vlcEnvironment);
                    (x11 ? theirsX11 : theirs).push_back(measure(program, seconds));
                };
                if (r % 2 == 0) {
                    measureOurs();
                    measureVlc(false);
                    measureVlc(true);
                } else {
                    measureVlc(true);
                    measureVlc(false);
                    measureOurs();
                }
            }
            std::vector<Result> all = ours;
            all.insert(all.end(), openGl.begin(), openGl.end());
            all.insert(all.end(), theirs.begin(), theirs.end());
            all.insert(all.end(), theirsX11.begin(), theirsX11.end());
            const QString title =
                s("%1, %2").arg(s(clip.title), fullScreen ? s("full screen (1280x1024)")
                                                          : s("in the player (picture 329 wide)"));
            printResults(title, all, seconds);
            const auto cpuOf = [](const std::vector<Result>& results) {
                double cpu = 0;
                for (const Result& result : results) {
                    cpu += result.ok ? result.cpu : 0;
                }
                return cpu;
            };
            const double oursCpu = cpuOf(ours);
            const double theirsCpu = cpuOf(theirs);
            const double x11Cpu = cpuOf(theirsX11);
            if (theirsCpu > 0 && oursCpu > 0 && x11Cpu > 0) {
                std::printf("  CPU orvanto-tv / vlc: %.2f, / vlc xcb_x11: %.2f\n",
                            oursCpu / theirsCpu, oursCpu / x11Cpu);
                ratios.push_back({title, oursCpu / theirsCpu, oursCpu / x11Cpu});
            }
            std::fflush(stdout);
        }
    }
    std::printf("\nsummary (goal: at most 1.1 x the CPU of vlc's X11 output)\n");
    for (const Ratio& ratio : ratios) {
        std::printf("  %-55s %.2f x vlc, %.2f x vlc xcb_x11\n", qUtf8Printable(ratio.title),
                    ratio.vlc, ratio.x11);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (arguments.size() >= 3 && arguments[1] == s("--player")) {
        QApplication app(argc, argv);
        return runPlayer(arguments[2], arguments.contains(s("--fullscreen")),
                         arguments.contains(s("--opengl")) ? VideoDrawing::OpenGl
                                                           : VideoDrawing::Automatic);
    }
    QCoreApplication app(argc, argv);
    return runBench(arguments);
}
