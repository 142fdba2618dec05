// The labels over the player answer the real pointer and look as laid out, whatever the
// player has shown before.

#include "DesktopViewer.h"
#include "playback/PlayState.h"
#include "playback/VideoView.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QScreen>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

constexpr int CutWidth = 335;      // 5030 twips
constexpr int RestoredWidth = 533; // 8000 twips

class OverlayLabels : public DesktopViewer {
protected:
    void SetUp() override {
        server.route(s("/audio"), TestHttpServer::wav());
        // Armed, the alarm shows "Alarme ON" over the player.
        qobject_cast<QRadioButton*>(form->controls().control(s("Option1"), 5))->click();
        qobject_cast<QCheckBox*>(control("Check1"))->click();
        qobject_cast<QRadioButton*>(form->controls().control(s("Option1"), 0))->click();
        ASSERT_TRUE(control("Label15")->isVisible());
        ASSERT_FALSE(control("Combo1")->isVisible());
    }

    // White text on black, as on the screen (given a moment to be painted).
    bool looksWhiteOnBlack(const char* name) const {
        return waitFor([this, name] { return showsWhiteOnBlack(name); }, 2000);
    }
    bool showsWhiteOnBlack(const char* name) const {
        QWidget* label = control(name);
        const QPoint at = label->mapToGlobal(QPoint(0, 0));
        const QImage shot = QGuiApplication::primaryScreen()
                                ->grabWindow(0, at.x(), at.y(), label->width(), label->height())
                                .toImage();
        bool white = false;
        bool black = false;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                white = white || (c.red() > 160 && c.green() > 160 && c.blue() > 160);
                black = black || (c.red() < 30 && c.green() < 30 && c.blue() < 30);
            }
        }
        return white && black;
    }

    bool hasHandPointer(const char* name) const {
        QWidget* under = QApplication::widgetAt(centre(name));
        return under == control(name) && under->cursor().shape() == Qt::PointingHandCursor;
    }

    // " <-" cuts the window, " ->" restores it, "Alarme ON" opens the alarm controls.
    void expectLabelsAnswer() {
        EXPECT_TRUE(looksWhiteOnBlack("Label4"));
        EXPECT_TRUE(looksWhiteOnBlack("Label15"));
        EXPECT_TRUE(showsTooltip("Label5", s("Tilexiristirio Off")));
        EXPECT_TRUE(hasHandPointer("Label5"));
        EXPECT_TRUE(clickLabel("Label5"));
        EXPECT_TRUE(waitFor([this] { return xWidth() == CutWidth; }, 3000)) << xWidth();

        ASSERT_TRUE(control("Label3")->isVisible());
        EXPECT_TRUE(looksWhiteOnBlack("Label3"));
        EXPECT_TRUE(showsTooltip("Label3", s(" Tilexiristirio  On ")));
        EXPECT_TRUE(hasHandPointer("Label3"));
        EXPECT_TRUE(clickLabel("Label3"));
        EXPECT_TRUE(waitFor([this] { return xWidth() == RestoredWidth; }, 3000)) << xWidth();

        EXPECT_TRUE(hasHandPointer("Label15"));
        EXPECT_TRUE(clickLabel("Label15"));
        EXPECT_TRUE(waitFor([this] { return control("Combo1")->isVisible(); }, 3000));
        qobject_cast<QRadioButton*>(form->controls().control(s("Option1"), 0))->click();

        EXPECT_TRUE(hasHandPointer("Label4"));
        EXPECT_TRUE(clickLabel("Label4"));
        player.setFullScreen(false);
    }

    // The window the picture is drawn in now.
    quint64 pictureWindow() const { return player.videoView()->drawingWidget()->window()->winId(); }
};

TEST_F(OverlayLabels, AnswerBeforeAnyPlayback) {
    expectLabelsAnswer();
}

TEST_F(OverlayLabels, AnswerWhileAndAfterAnAudioStreamPlays) {
    player.setURL(server.url(s("/audio")).toString());
    ASSERT_TRUE(waitFor([this] { return player.playState() == PlayState::Playing; }, 15000));
    expectLabelsAnswer();
    player.stop();
    expectLabelsAnswer();
}

TEST_F(OverlayLabels, AnswerWhileAVideoPlaysAndAfterFullScreen) {
    ASSERT_TRUE(playVideo());
    expectLabelsAnswer();

    // " Othoni" puts the video over the whole screen; Escape brings it back.
    ASSERT_TRUE(clickLabel("Label4"));
    ASSERT_TRUE(waitFor([this] { return player.isFullScreen(); }, 3000));
    EXPECT_TRUE(waitFor(
        [this] {
            return x11::geometry(pictureWindow()) ==
                   QRect(0, 0, PrivateDisplay::Width, PrivateDisplay::Height);
        },
        3000))
        << x11::geometry(pictureWindow()).width() << "x" << x11::geometry(pictureWindow()).height();
    x11::key(s("Escape"));
    ASSERT_TRUE(waitFor([this] { return !player.isFullScreen(); }, 3000));
    EXPECT_EQ(pictureWindow(), form->winId());
    EXPECT_EQ(player.playState(), PlayState::Playing);
    expectLabelsAnswer();
}

TEST_F(OverlayLabels, AnswerAfterStopAndAfterTheAlarmRang) {
    ASSERT_TRUE(playVideo());
    player.stop();
    expectLabelsAnswer();

    ASSERT_TRUE(playVideo());
    clock.set(QTime(0, 0)); // the alarm's time as the boxes show it
    watch.tick();
    ASSERT_EQ(alarm->state(), AlarmClock::State::Ringing);
    ring.tick();
    qobject_cast<QCheckBox*>(control("Check1"))->click(); // ends the ringing
    ASSERT_EQ(alarm->state(), AlarmClock::State::Idle);
    // Disarmed, "Alarme ON" is gone: arm again to try it too.
    qobject_cast<QCheckBox*>(control("Check1"))->click();
    qobject_cast<QRadioButton*>(form->controls().control(s("Option1"), 0))->click();
    expectLabelsAnswer();
}

} // namespace
} // namespace orvanto::test
