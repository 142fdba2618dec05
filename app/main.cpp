// The composition root: reads the command line, builds the real collaborators, hands them to the
// viewer and runs it.

#include "AfterFirstPaint.h"
#include "alarm/AlarmClock.h"
#include "app/CheckMain.h"
#include "app/CommandLine.h"
#include "app/GuideWiring.h"
#include "app/RecordMain.h"
#include "app/Viewer.h"
#include "app/ViewerSession.h"
#include "app/ViewerSettings.h"
#include "check/ListCheck.h"
#include "check/VlcProbe.h"
#include "core/Clock.h"
#include "core/QtMessageSink.h"
#include "core/QtTicker.h"
#include "core/SteadyClock.h"
#include "desktop/DesktopServices.h"
#include "desktop/SecretStores.h"
#include "lock/PasswordInputBox.h"
#include "net/StartPage.h"
#include "net/StreamSniffer.h"
#include "orvanto/Version.h"
#include "playback/LivePause.h"
#include "playback/OpenGlProbe.h"
#include "playback/Recorder.h"
#include "playback/VideoView.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "shortcuts/DesktopUrlOpener.h"
#include "window/Form1.h"
#include "window/FormControls.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>

namespace {

using namespace orvanto;
using namespace Qt::Literals::StringLiterals;

// The start page request waits until the window is up: bringing up the network stack takes some
// 25 ms that the window's first appearance need not wait for.
constexpr int StartPageDelayMs = 300;

// The real collaborators of the running viewer. Members are destroyed in reverse order, so the
// viewer goes before the player, timers and boxes it uses.
class Program {
public:
    Program(VideoDrawing drawing, const QString& recordingFolder, int pauseMinutes,
            const ViewerSettings::Padding& padding)
        : drawing_(drawing), player_(nullptr, nullptr, drawing),
          livePause_(player_.streamPlayer(), steady_,
                     {.folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                                u"/paused"_s,
                      .limits = {.maxMs = pauseMinutes * 60 * 1000}}),
          viewer_(ViewerServices{
              .player = player_,
              .videoWidget = player_.videoWidget(),
              .attemptTicker = attemptTicker_,
              .messages = messages_,
              .prompt = prompt_,
              .opener = opener_,
              .clock = clock_,
              .alarmWatch = alarmWatch_,
              .alarmRing = alarmRing_,
              .alarmSound = AlarmClock::defaultSoundPath(),
              .listCheck = listCheck_,
              .checkCacheDir =
                  QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/checks"_s,
              .secrets = secrets_.get(),
              .recorder = &recorder_,
              .recordingFolder = recordingFolder,
              .livePause = &livePause_,
              .scheduleTicker = &scheduleTicker_,
              .paddingBefore = padding.before,
              .paddingAfter = padding.after,
          }) {}

    Viewer& viewer() { return viewer_; }

    // Once the window is up: boxes are modal to it, libVLC comes up after its first paint (a
    // station picked before then opens as soon as the engine is there) and the start page is
    // requested.
    void windowShown() {
        QWidget* window = viewer_.controls().window();
        messages_.setWindow(window);
        prompt_.setWindow(window);
        new AfterFirstPaint(window, [this] {
            startEngine();
            probeOpenGl();
        });
        desktop_ = std::make_unique<DesktopServices>(
            viewer_.form(), viewer_.failover(), player_, viewer_.catalogue(),
            QDBusConnection::sessionBus(), &viewer_.guide(), &viewer_.archive(), &recorder_,
            &livePause_);
        QTimer::singleShot(StartPageDelayMs, &viewer_.form(),
                           [this] { StartPage::request(viewer_.form()); });
    }

private:
    void startEngine() {
        player_.attach(std::make_unique<VlcEngine>(VlcEngine::Options{}),
                       std::make_unique<StreamSniffer>());
    }

    // Drawing left to the viewer: on the CPU, until a probe in a process of its own finds a GPU.
    void probeOpenGl() {
        if (drawing_ != VideoDrawing::Automatic) {
            return;
        }
        glProbe_ =
            std::make_unique<OpenGlProbe>(QCoreApplication::applicationFilePath(),
                                          QStringList{QString::fromLatin1(openGlProbeArgument)});
        QObject::connect(glProbe_.get(), &OpenGlProbe::found, &viewer_.form(), [this](bool gpu) {
            if (gpu) {
                player_.videoView()->setDrawing(VideoDrawing::OpenGl);
            }
            glProbe_.release()->deleteLater();
        });
        glProbe_->start();
    }

    VideoDrawing drawing_;
    VlcPlayer player_;
    Recorder recorder_{player_.streamPlayer()}; // finishes its file before the player goes
    QtTicker attemptTicker_;                    // one second
    QtMessageSink messages_;
    QtPasswordPrompt prompt_;
    DesktopUrlOpener opener_;
    SystemClock clock_;
    QtTicker alarmWatch_{1000};
    QtTicker alarmRing_{2000};
    QtTicker scheduleTicker_{1000};
    SystemSteadyClock steady_;
    LivePause livePause_; // what a pause keeps goes with the connection, in the player
    QtTicker checkTicker_{100};
    ListCheck listCheck_{[] { return std::make_unique<VlcProbe>(); }, checkTicker_, steady_, clock_,
                         CheckRun::Options{}};
    // Provider accounts' passwords: the desktop's secret store, else a file only the user reads.
    std::unique_ptr<SecretStore> secrets_ = desktopSecretStore(
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u"/secrets.conf"_s);
    Viewer viewer_;
    std::unique_ptr<DesktopServices> desktop_; // MPRIS and the screensaver, on the session bus
    std::unique_ptr<OpenGlProbe> glProbe_;
};

// The OpenGL probe's side: what renders OpenGL here, on standard output.
int probeOpenGl(int argc, char** argv) {
    const QGuiApplication app(argc, argv);
    const QByteArray renderer = openGlRenderer();
    std::fputs((renderer + '\n').constData(), stdout);
    return renderer.isEmpty() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    // Before QApplication, so that --help and --version need no display.
    const CommandLine commandLine = parseCommandLine(arguments);
    if (!commandLine.run) {
        std::fputs(commandLine.standardOutput.toLocal8Bit().constData(), stdout);
        std::fputs(commandLine.standardError.toLocal8Bit().constData(), stderr);
        return commandLine.exitCode;
    }
    if (commandLine.probeOpenGl) {
        return probeOpenGl(argc, argv);
    }
    if (commandLine.check.wanted) {
        return runCheck(argc, argv, commandLine.check);
    }
    if (commandLine.record.wanted) {
        return runRecord(argc, argv, commandLine.record);
    }

    QApplication app(argc, argv);
    // No application display name: Qt would append it to every window's title.
    QApplication::setApplicationName(QStringLiteral("orvanto-tv"));
    QApplication::setApplicationVersion(QString::fromLatin1(Version));

    ViewerSettings settings(ViewerSettings::defaultPath());
    if (!settings.warning().isEmpty()) {
        std::fprintf(stderr, "orvanto-tv: %s\n", qUtf8Printable(settings.warning()));
    }
    Program program(commandLine.videoDrawing, settings.recordingFolder(), settings.pauseMinutes(),
                    settings.recordingPadding());
    ViewerSession session(program.viewer(), settings);
    session.start(commandLine.playlist);
    program.windowShown();
    const int exitCode = QApplication::exec();
    session.finish();
    return exitCode;
}
