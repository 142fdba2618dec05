// The picture path beside the vlc program: 60 s of 1080p30 and of 720p30 H.264 (made with ffmpeg
// here, served from 127.0.0.1 as MPEG-TS over HTTP), played in a window the size of the viewer's
// player and in full screen, on a private Xvfb display under openbox. For each: the CPU time of
// the process, the pictures libVLC showed and lost (its own statistics), for the viewer also the
// pictures that never reached the screen, and the resident memory, each program in a process of
// its own, one after the other.
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

#include "net/StreamSniffer.h"
#include "playback/PlayState.h"
#include "playback/VideoView.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace orvanto;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// The viewer's window and its player, in pixels: the player's picture room is 329 wide.
constexpr int WindowWidth = 533;
constexpr int WindowHeight = 574;
const QRect PictureRoom(0, 17, 329, 304);
constexpr int ScreenWidth = 1280;
constexpr int ScreenHeight = 1024;

// ---- The viewer's side: --player URL [--fullscreen] ----

// Counts the pictures that reached the screen: the paints of the widget drawing the picture
// that show another picture than the paint before.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(VideoView& view) : view_(view) {}
    int painted() const { return painted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == view_.drawingWidget()) {
            const quint64 number = view_.frame().number();
            if (number != 0 && number != last_) {
                last_ = number;
                ++painted_;
            }
        }
        return false;
    }

private:
    VideoView& view_;
    quint64 last_ = 0;
    int painted_ = 0;
};

int runPlayer(const QString& url, bool fullScreen, VideoDrawing drawing) {
    QWidget window;
    window.setWindowTitle(s("Orvanto Live TV"));
    window.resize(WindowWidth, WindowHeight);
    VlcPlayer player(&window, nullptr, drawing);
    VideoView* view = player.videoView();
    view->setGeometry(PictureRoom);
    window.show();
    auto engine = std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true});
    VlcEngine* vlc = engine.get();
    player.attach(std::move(engine), std::make_unique<StreamSniffer>());
    PaintCounter counter(*view);
    qApp->installEventFilter(&counter);
    player.setURL(url);
    if (fullScreen) {
        QObject::connect(view, &VideoView::pictureShown, view, [&](bool shown) {
            if (shown && !player.isFullScreen()) {
                player.setFullScreen(true);
            }
        });
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[64] = {};
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line - 1);
        const QByteArray command = QByteArray(line, n > 0 ? int(n) : 0).trimmed();
        if (n <= 0 || command == "quit") {
            QApplication::quit();
            return;
        }
        if (command == "stats") {
            const PlayerEngine::Stats stats = vlc->stats();
            std::printf("| video decoded    : %d\n| frames displayed : %d\n| frames lost      : "
                        "%d\n| frames painted   : %d\n| full screen      : %d\n",
                        stats.decodedVideo, stats.shownPictures, stats.lostPictures,
                        counter.painted(), player.isFullScreen() ? 1 : 0);
            std::fflush(stdout);
        }
    });
    return QApplication::exec();
}

// ---- The measuring side ----

struct Counts {
    int decoded = 0;
    int displayed = 0;
    int lost = 0;
    int painted = -1; // the viewer's only
};

// A program under measurement, driven through its rc-like standard input.
class Measured {
public:
    Measured(const QString& name, const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment)
        : name_(name) {
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start(program, arguments);
    }
    ~Measured() {
        if (process_.state() != QProcess::NotRunning) {
            process_.write("quit\n");
            if (!process_.waitForFinished(5000)) {
                process_.kill();
                process_.waitForFinished(5000);
            }
        }
    }
    const QString& name() const { return name_; }
    bool started() { return process_.waitForStarted(10000); }
    qint64 pid() const { return process_.processId(); }

    std::optional<Counts> stats() {
        output_.clear();
        process_.write("stats\n");
        QElapsedTimer clock;
        clock.start();
        static const QRegularExpression lost(s("frames lost\\s*:\\s*(\\d+)"));
        while (clock.elapsed() < 5000 && !lost.match(output_).hasMatch()) {
            if (!process_.waitForReadyRead(500) && process_.state() == QProcess::NotRunning) {
                return std::nullopt;
            }
            output_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
        }
        QThread::msleep(100); // the lines after it
        output_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
        const auto number = [this](const char* label) {
            const QRegularExpression line(s(label) + s("\\s*:\\s*(\\d+)"));
            const QRegularExpressionMatch match = line.match(output_);
            return match.hasMatch() ? match.captured(1).toInt() : -1;
        };
        if (!lost.match(output_).hasMatch()) {
            return std::nullopt;
        }
        return Counts{number("video decoded"), number("frames displayed"), number("frames lost"),
                      number("frames painted")};
    }

private:
    QString name_;
    QProcess process_;
    QString output_;
};

// CPU seconds the process has used, from /proc.
double cpuSeconds(qint64 pid) {
    QFile file(s("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray line = file.readAll();
    // After the command's closing parenthesis: state is field 3; utime and stime are 14, 15.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) {
        return -1;
    }
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

double residentMib(qint64 pid) {
    QFile file(s("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return -1;
}

struct Result {
    QString name;
    double cpu = -1;
    double rss = -1;
    Counts counts;
    bool ok = false;
};

void pause(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}

Result measure(Measured& program, int seconds) {
    Result result;
    result.name = program.name();
    if (!program.started()) {
        std::printf("  %s did not start\n", qUtf8Printable(program.name()));
        return result;
    }
    // Playing: pictures on the screen, and a few seconds for the start to settle.
    QElapsedTimer clock;
    clock.start();
    std::optional<Counts> counts;
    while (clock.elapsed() < 30000 && (!(counts = program.stats()) || counts->displayed <= 0)) {
        pause(500);
    }
    if (!counts || counts->displayed <= 0) {
        std::printf("  %s shows no picture\n", qUtf8Printable(program.name()));
        return result;
    }
    pause(3000);
    const std::optional<Counts> first = program.stats();
    const double cpu0 = cpuSeconds(program.pid());
    pause(seconds * 1000);
    const double cpu1 = cpuSeconds(program.pid());
    const std::optional<Counts> last = program.stats();
    result.rss = residentMib(program.pid());
    if (!first || !last || cpu0 < 0 || cpu1 < 0) {
        std::printf("  %s stopped while measured\n", qUtf8Printable(program.name()));
        return result;
    }
    result.cpu = cpu1 - cpu0;
    result.counts = {last->decoded - first->decoded, last->displayed - first->displayed,
                     last->lost - first->lost,
                     last->painted < 0 ? -1 : last->painted - first->painted};
    result.ok = true;
    return result;
}

bool run(const QString& program, const QStringList& arguments, int timeoutMs, bool quiet = false) {
    QProcess process;
    if (quiet) {
        process.setStandardErrorFile(QProcess::nullDevice());
    } else {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

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

class Background {
public:
    ~Background() {
        for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(5000)) {
                (*it)->kill();
                (*it)->waitForFinished(5000);
            }
        }
    }
    QProcess&
    start(const QString& program, const QStringList& arguments,
          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        process->start(program, arguments);
        processes_.push_back(std::move(process));
        return *processes_.back();
    }

private:
    std::vector<std::unique_ptr<QProcess>> processes_;
};

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
                                 s("-nolisten"), s("tcp")});
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
    std::vector<std::pair<QString, double>> ratios;
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
            for (int r = 0; r < runs; ++r) {
                const auto measureOurs = [&] {
                    QStringList player{s("--player"), url};
                    if (fullScreen) {
                        player << s("--fullscreen");
                    }
                    Measured program(s("orvanto-tv"), self, player, environment);
                    ours.push_back(measure(program, seconds));
                    if (withOpenGl) {
                        Measured forced(s("(opengl)"), self, player << s("--opengl"), environment);
                        openGl.push_back(measure(forced, seconds));
                    }
                };
                const auto measureVlc = [&] {
                    QStringList options = vlcPrefix;
                    options << s("-I") << s("oldrc") << s("--rc-fake-tty") << s("--aout=dummy")
                            << s("--no-video-title-show") << s("--no-qt-privacy-ask")
                            << s("--no-metadata-network-access");
                    options << (fullScreen ? s("--fullscreen")
                                           : s("--zoom=%1").arg(zoom, 0, 'f', 4));
                    options << url;
                    Measured program(s("vlc"), vlc, options, vlcEnvironment);
                    theirs.push_back(measure(program, seconds));
                };
                if (r % 2 == 0) {
                    measureOurs();
                    measureVlc();
                } else {
                    measureVlc();
                    measureOurs();
                }
            }
            std::vector<Result> all = ours;
            all.insert(all.end(), openGl.begin(), openGl.end());
            all.insert(all.end(), theirs.begin(), theirs.end());
            const QString title =
                s("%1, %2").arg(s(clip.title), fullScreen ? s("full screen (1280x1024)")
                                                          : s("in the player (picture 329 wide)"));
            printResults(title, all, seconds);
            double oursCpu = 0;
            double theirsCpu = 0;
            for (const Result& result : ours) {
                oursCpu += result.ok ? result.cpu : 0;
            }
            for (const Result& result : theirs) {
                theirsCpu += result.ok ? result.cpu : 0;
            }
            if (theirsCpu > 0 && oursCpu > 0) {
                std::printf("  CPU orvanto-tv / vlc: %.2f\n", oursCpu / theirsCpu);
                ratios.emplace_back(title, oursCpu / theirsCpu);
            }
            std::fflush(stdout);
        }
    }
    std::printf("\nsummary (goal: at most 1.15 x vlc's CPU; libVLC's own X11 output stays on "
                "xcb past 1.3 x)\n");
    for (const auto& [title, ratio] : ratios) {
        std::printf("  %-55s %.2f x vlc\n", qUtf8Printable(title), ratio);
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
