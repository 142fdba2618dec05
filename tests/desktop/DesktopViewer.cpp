#include "DesktopViewer.h"

#include "check/VlcProbe.h"
#include "net/StreamSniffer.h"
#include "playback/PlayState.h"
#include "playback/VlcEngine.h"
#include "support/WaitFor.h"
#include "window/ClickLabel.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

namespace orvanto::test {

DesktopViewer::DesktopViewer(bool recording)
    : check([] { return std::make_unique<VlcProbe>(); }, checkTimeouts, steady, wallClock,
            CheckRun::Options{4, 15000}),
      viewer(ViewerServices{
          .player = player,
          .videoWidget = player.videoWidget(),
          .attemptTicker = failoverTicker,
          .messages = messages,
          .prompt = prompt,
          .opener = opener,
          .clock = clock,
          .alarmWatch = watch,
          .alarmRing = ring,
          .alarmSound = AlarmClock::defaultSoundPath(),
          .listCheck = check,
          .checkCacheDir = checkCache.path(),
          .recorder = recording ? &recorder : nullptr,
          .recordingFolder = recordings.path(),
          .livePause = recording ? &livePause : nullptr,
      }) {
    server.route(QStringLiteral("/video"), TestHttpServer::video());
    server.route(QStringLiteral("/video2"), TestHttpServer::video());
    server.start();
    // libVLC with its real outputs, its pictures drawn in the window as in the program.
    player.attach(std::make_unique<VlcEngine>(VlcEngine::Options{}),
                  std::make_unique<StreamSniffer>());
    const QString first = server.url(QStringLiteral("/video")).toString();
    const QString second = server.url(QStringLiteral("/video2")).toString();
    viewer.start({[first, second](Catalogue& c) {
                      c.AddStreamUrl(QStringLiteral("Video"), first);
                      c.AddStreamUrl(QStringLiteral("Video 2"), second);
                  },
                  [](Catalogue&) {}});
    form = &viewer.form();
    alarm = &viewer.alarm();
    QApplication::setActiveWindow(form);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
}

DesktopViewer::~DesktopViewer() {
    player.stop();
}

QWidget* DesktopViewer::control(const char* name) const {
    return form->controls().control(QString::fromLatin1(name));
}

QPoint DesktopViewer::centre(const char* name) const {
    QWidget* widget = control(name);
    return widget->mapToGlobal(widget->rect().center());
}

int DesktopViewer::xWidth() const {
    return x11::geometry(form->winId()).width();
}

::testing::AssertionResult DesktopViewer::playVideo(const char* path) {
    player.setURL(server.url(QString::fromLatin1(path)).toString());
    if (!waitFor([this] { return player.playState() == PlayState::Playing; }, 15000)) {
        return ::testing::AssertionFailure() << "the video did not play";
    }
    if (!waitFor([this] { return player.showsPicture(); }, 10000)) {
        return ::testing::AssertionFailure() << "no picture shows";
    }
    return ::testing::AssertionSuccess();
}

bool DesktopViewer::clickLabel(const char* name) {
    auto* label = qobject_cast<ClickLabel*>(control(name));
    if (!label) {
        return false;
    }
    QSignalSpy clicked(label, &ClickLabel::clicked);
    x11::click(centre(name));
    return waitFor([&clicked] { return clicked.count() > 0; }, 3000);
}

bool DesktopViewer::showsTooltip(const char* name, const QString& tip) {
    x11::moveTo(centre(name) + QPoint(1, 0));
    x11::moveTo(centre(name));
    const bool shown =
        waitFor([&tip] { return QToolTip::isVisible() && QToolTip::text() == tip; }, 4000);
    QToolTip::hideText();
    return shown;
}

} // namespace orvanto::test
