// The video's context menu with the real pointer, acting on the real video.

#include "DesktopViewer.h"
#include "playback/PlayState.h"
#include "playback/VideoView.h"
#include "support/WaitFor.h"
#include "window/PlayerArea.h"
#include "window/VideoMenu.h"

#include <QApplication>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class VideoMenuOnScreen : public DesktopViewer {
protected:
    QPoint videoCentre() const {
        QWidget* video = form->playerArea().videoSurface();
        return video->mapToGlobal(video->rect().center());
    }

    VideoMenu* openMenu(const QPoint& at) {
        x11::click(at, 3);
        VideoMenu* menu = nullptr;
        waitFor(
            [&] {
                // In full screen the menu belongs to the full-screen window, not to ours.
                for (QWidget* widget : QApplication::allWidgets()) {
                    auto* candidate = qobject_cast<VideoMenu*>(widget);
                    if (candidate && candidate->isVisible()) {
                        menu = candidate;
                    }
                }
                return menu != nullptr;
            },
            5000);
        return menu;
    }

    static QAction* find(QMenu* menu, const QString& text) {
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                return action;
            }
        }
        return nullptr;
    }

    // Clicks the menu's `item`, or `item` and then `inner` in its submenu, with the pointer.
    bool choose(QMenu* menu, const char* item, const char* inner = nullptr) {
        QAction* action = find(menu, s(item));
        if (!action) {
            return false;
        }
        x11::click(menu->mapToGlobal(menu->actionGeometry(action).center()));
        if (!inner) {
            return true;
        }
        QMenu* sub = action->menu();
        if (!sub || !waitFor([sub] { return sub->isVisible(); }, 3000)) {
            return false;
        }
        QAction* innerAction = find(sub, s(inner));
        if (!innerAction) {
            return false;
        }
        x11::click(sub->mapToGlobal(sub->actionGeometry(innerAction).center()));
        return true;
    }

    // The size the picture is drawn in.
    QSize pictureSize() const { return player.videoView()->pictureRect().size(); }
};

TEST_F(VideoMenuOnScreen, ZoomAndAspectActOnTheVideoAndHoldAcrossAddresses) {
    ASSERT_TRUE(playVideo());
    // Fitted, the 64x48 test picture fills the player's width.
    EXPECT_TRUE(waitFor([this] { return pictureSize().width() > 64 * 4; }, 5000));

    VideoMenu* menu = openMenu(videoCentre());
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(choose(menu, "Zoom", "200 %"));
    ASSERT_TRUE(waitFor([this] { return player.videoZoom() == VideoZoom::Double; }, 3000));
    EXPECT_TRUE(waitFor([this] { return pictureSize() == QSize(128, 96); }, 5000))
        << pictureSize().width() << "x" << pictureSize().height();

    menu = openMenu(videoCentre());
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(choose(menu, "Analogia", "16:9"));
    ASSERT_TRUE(waitFor([this] { return player.aspectRatio() == AspectRatio::SixteenNine; }, 3000));
    EXPECT_TRUE(waitFor([this] { return pictureSize() == QSize(171, 96); }, 5000))
        << pictureSize().width() << "x" << pictureSize().height();

    // Another address: the choices hold.
    ASSERT_TRUE(playVideo("/video2"));
    EXPECT_TRUE(waitFor([this] { return pictureSize().height() == 96; }, 5000))
        << pictureSize().width() << "x" << pictureSize().height();

    menu = openMenu(videoCentre());
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(choose(menu, "Zoom", "Olo to parathiro"));
    EXPECT_TRUE(waitFor([this] { return pictureSize().width() > 128; }, 5000));
}

TEST_F(VideoMenuOnScreen, OpensInFullScreenToo) {
    ASSERT_TRUE(playVideo());
    // With no window manager the keys go to the window under the pointer. On a loaded machine
    // the key can come before the server has the pointer there, and go to the root window: it
    // is pressed once more, the pointer over the picture again.
    x11::moveTo(videoCentre());
    x11::key(s("F11"));
    if (!waitFor([this] { return player.isFullScreen(); }, 3000)) {
        x11::moveTo(videoCentre());
        QTest::qWait(200);
        if (!player.isFullScreen()) {
            x11::key(s("F11"));
        }
    }
    ASSERT_TRUE(waitFor([this] { return player.isFullScreen(); }, 5000));
    VideoMenu* menu = openMenu(QPoint(PrivateDisplay::Width / 2, PrivateDisplay::Height / 2));
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(choose(menu, "Othoni"));
    EXPECT_TRUE(waitFor([this] { return !player.isFullScreen(); }, 3000));
    EXPECT_EQ(player.playState(), PlayState::Playing);
}

TEST_F(VideoMenuOnScreen, DoubleClickOnTheVideoSwitchesFullScreen) {
    ASSERT_TRUE(playVideo());
    const auto doubleClick = [](const QPoint& at) {
        x11::moveTo(at);
        x11::run(s("xdotool"), {s("click"), s("--repeat"), s("2"), s("--delay"), s("80"), s("1")});
    };
    doubleClick(videoCentre());
    ASSERT_TRUE(waitFor([this] { return player.isFullScreen(); }, 3000));
    doubleClick(QPoint(PrivateDisplay::Width / 2, PrivateDisplay::Height / 2));
    EXPECT_TRUE(waitFor([this] { return !player.isFullScreen(); }, 3000));
    EXPECT_EQ(player.playState(), PlayState::Playing);
}

} // namespace
} // namespace orvanto::test
