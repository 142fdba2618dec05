// Recording and pausing live TV with the real pointer and keys, on the video the window plays.

#include "DesktopViewer.h"
#include "playback/PlayState.h"
#include "support/WaitFor.h"
#include "window/PlayerArea.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QToolButton>

namespace orvanto::test {
namespace {

class RecordAndPauseOnScreen : public DesktopViewer {
protected:
    RecordAndPauseOnScreen() : DesktopViewer(true) {}

    template <typename Widget = QWidget> Widget* find(const char* name) const {
        return form->findChild<Widget*>(QString::fromLatin1(name));
    }
    // Clicks the visible widget `name` with the real pointer.
    bool click(const char* name) {
        QWidget* widget = find(name);
        if (!widget || !waitFor([widget] { return widget->isVisible(); }, 3000)) {
            return false;
        }
        x11::click(widget->mapToGlobal(widget->rect().center()));
        return true;
    }
    QStringList recorded() const { return QDir(recordings.path()).entryList(QDir::Files); }
};

TEST_F(RecordAndPauseOnScreen, RecordIsClickedAndEndedWithItsKey) {
    ASSERT_TRUE(playVideo());
    ASSERT_TRUE(click("recordButton"));
    ASSERT_TRUE(
        waitFor([this] { return recorder.isRecording() && recorder.bytesWritten() > 0; }, 10000));
    auto* button = find<QToolButton>("recordButton");
    EXPECT_TRUE(button->isChecked()) << "down while it records";
    // Ctrl+R where the window has the keyboard.
    x11::moveTo(form->playerArea().videoSurface()->mapToGlobal(QPoint(10, 10)));
    x11::key(QStringLiteral("ctrl+r"));
    ASSERT_TRUE(waitFor([this] { return !recorder.isRecording(); }, 5000));
    ASSERT_TRUE(waitFor([this] { return recorded().size() == 1; }, 10000));
    EXPECT_GT(QFileInfo(recordings.filePath(recorded().first())).size(), 0);
    EXPECT_FALSE(button->isChecked());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(player.playState(), PlayState::Playing) << "the picture went on throughout";
}

TEST_F(RecordAndPauseOnScreen, PauseWaitsBehindLiveAndLiveGoesBack) {
    ASSERT_TRUE(playVideo());
    ASSERT_TRUE(click("pauseButton"));
    ASSERT_TRUE(waitFor([this] { return player.playState() == PlayState::Paused; }, 5000));
    QTest::qWait(2500);
    EXPECT_EQ(player.playState(), PlayState::Paused) << "a pause is no outage";
    auto* behind = find<QLabel>("behindLive");
    ASSERT_NE(behind, nullptr);
    EXPECT_TRUE(waitFor([behind] { return behind->isVisible(); }, 2000));
    EXPECT_TRUE(behind->text().startsWith(QStringLiteral("0:02"))) << behind->text().toStdString();

    ASSERT_TRUE(click("pauseButton")); // "Play"
    ASSERT_TRUE(waitFor([this] { return player.playState() == PlayState::Playing; }, 5000));
    EXPECT_GE(livePause.behindMs(), 2000) << "on from where it stopped";

    ASSERT_TRUE(click("liveButton"));
    ASSERT_TRUE(waitFor([this] { return livePause.behindMs() < 1000; }, 5000));
    EXPECT_TRUE(waitFor([this] { return player.playState() == PlayState::Playing; }, 10000));
    EXPECT_TRUE(messages.messages.empty());
}

} // namespace
} // namespace orvanto::test
