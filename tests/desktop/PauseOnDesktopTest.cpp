// Pausing live HLS in the real program on real desktops (openbox, xfwm4, weston with XWayland):
// Ctrl+P holds the picture while the channel goes on being kept, Ctrl+P again plays on, read
// back from the screen's pixels.

#include "DesktopSession.h"
#include "ScreenPixels.h"
#include "ViewerProgram.h"
#include "support/LabServers.h"
#include "support/WaitFor.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace orvanto::test {

extern DesktopSession* currentDesktop;

namespace {

using namespace Qt::Literals::StringLiterals;

// The window's parts in its own pixels (twips / 15), as laid out: the middle of the player,
// clear of the labels on top and the control bar below, and the first station button.
const QRect kPicture(60, 60, 200, 160);
const QPoint kFirstStation(410, 60);
constexpr int kWaitMs = 20000;

class PauseOnDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(currentDesktop, nullptr);
        ASSERT_TRUE(lab.startHls()) << lab.error().toStdString();
        QFile list(scratch.filePath(u"live.m3u"_s));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("#EXTM3U\n#EXTINF:-1,Live TV\n" + lab.hls(u"/hls/live_0.m3u8"_s).toEncoded() +
                   "\n");
    }

    QImage picture() const { return pixels::grabScreen().copy(program.onScreen(kPicture)); }
    // Whether the picture changes within `ms`.
    bool moves(int ms = 1000) const {
        const QImage before = picture();
        return waitFor([&] { return picture() != before; }, ms);
    }
    // Waits until the picture stands still for `ms` (libVLC shows what it had decoded first).
    bool standsStill(int ms) const {
        return waitFor([&] { return !moves(ms); }, kWaitMs);
    }

    LabServers lab;
    QTemporaryDir scratch;
    ViewerProgram program{*currentDesktop};
};

TEST_F(PauseOnDesktop, CtrlPHoldsALiveHlsPictureAndPlaysItOn) {
    ASSERT_TRUE(program.start({u"--playlist"_s, scratch.filePath(u"live.m3u"_s)}));
    // A click a loaded desktop let pass is made once more, where the window is now.
    input::click(program.onScreen(kFirstStation));
    if (!waitFor([&] { return moves(); }, kWaitMs)) {
        ASSERT_TRUE(program.findWindow());
        input::click(program.onScreen(kFirstStation));
        ASSERT_TRUE(waitFor([&] { return moves(); }, kWaitMs))
            << "the channel shows no moving picture" << keepScreen()
            << program.output().toStdString();
    }

    input::moveTo(program.onScreen(kPicture.center()));
    input::key(u"ctrl+p"_s);
    ASSERT_TRUE(standsStill(1500)) << "Ctrl+P did not hold the picture" << keepScreen();
    const QImage held = picture();
    QTest::qWait(3000);
    EXPECT_EQ(picture(), held) << "the picture moved while paused" << keepScreen();

    input::key(u"ctrl+p"_s); // "Play": on from the copy kept meanwhile
    ASSERT_TRUE(waitFor([&] { return moves(); }, kWaitMs))
        << "the picture did not play on" << keepScreen() << program.output().toStdString();
    QTest::qWait(2000);
    EXPECT_TRUE(moves(2000)) << "it went on playing" << keepScreen();
}

} // namespace
} // namespace orvanto::test
