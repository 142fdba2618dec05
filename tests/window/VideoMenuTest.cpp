// The video's context menu and the full-screen keys, on the window with a fake player.

#include "window/VideoMenu.h"

#include "WindowTestSupport.h"
#include "playback/PlayState.h"
#include "window/ChannelBrowser.h"
#include "window/PlayerArea.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QTest>

namespace orvanto::test {
namespace {

class VideoMenuTest : public WindowTest {
protected:
    void SetUp() override {
        startWith(20);
        form->show();
    }

    // Right-clicks the video and returns the menu that opened.
    VideoMenu* openMenu() {
        QWidget* video = form->playerArea().videoSurface();
        const QPoint at = video->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, video->mapToGlobal(at));
        QApplication::sendEvent(video, &event);
        VideoMenu* menu = nullptr;
        for (auto* candidate : form->findChildren<VideoMenu*>()) {
            if (candidate->isVisible()) {
                menu = candidate;
            }
        }
        return menu;
    }

    static QAction* action(QMenu* menu, const char* text) {
        for (QAction* a : menu->actions()) {
            if (a->menu()) {
                if (QAction* inner = action(a->menu(), text)) {
                    return inner;
                }
            } else if (a->text() == s(text)) {
                return a;
            }
        }
        return nullptr;
    }

    static QStringList checked(QMenu* menu) {
        QStringList texts;
        for (QAction* a : menu->actions()) {
            if (a->menu()) {
                texts << checked(a->menu());
            } else if (a->isChecked()) {
                texts << a->text();
            }
        }
        return texts;
    }

    // Opens the menu, chooses `text` and lets the menu close.
    void choose(const char* text) {
        VideoMenu* menu = openMenu();
        ASSERT_NE(menu, nullptr);
        QAction* chosen = action(menu, text);
        ASSERT_NE(chosen, nullptr) << text;
        chosen->trigger();
        menu->close();
    }
};

TEST_F(VideoMenuTest, ShowsThePlayersChoicesAndKeepsWhatTheUserPicks) {
    VideoMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(checked(menu), (QStringList{s("Olo to parathiro"), s("Proepilogi"),
                                          s("Xoris ypotitlous"), s("Aftomata")}));
    menu->close();

    choose("200 %");
    choose("16:9");
    choose("Xoris ixo");
    EXPECT_EQ(player.videoZoom(), VideoZoom::Double);
    EXPECT_EQ(player.aspectRatio(), AspectRatio::SixteenNine);
    EXPECT_TRUE(player.isMuted());

    menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(checked(menu), (QStringList{s("200 %"), s("16:9"), s("Xoris ypotitlous"),
                                          s("Aftomata"), s("Xoris ixo")}));
    menu->close();

    choose("50 %");
    choose("4:3");
    choose("Xoris ixo");
    EXPECT_EQ(player.videoZoom(), VideoZoom::Half);
    EXPECT_EQ(player.aspectRatio(), AspectRatio::FourThree);
    EXPECT_FALSE(player.isMuted());
}

TEST_F(VideoMenuTest, FullScreenPlayAndStop) {
    player.stateOnOpen = PlayState::Playing;
    stationButton(1)->click();
    ticker.tickUntilStopped();
    ASSERT_TRUE(failover.StationPlaying());

    player.canFullScreen = true;
    choose("Othoni");
    EXPECT_TRUE(player.isFullScreen());
    VideoMenu* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(checked(menu).contains(s("Othoni")));
    menu->close();
    choose("Othoni");
    EXPECT_FALSE(player.isFullScreen());

    choose("Stop");
    EXPECT_EQ(player.playState(), PlayState::Stopped);
    player.openedUrls.clear();
    choose("Paixe");
    EXPECT_EQ(player.openedUrls, QStringList{firstAddress(2)});
}

TEST_F(VideoMenuTest, F11SwitchesFullScreenAndEscapeLeavesIt) {
    QTest::keyClick(form.get(), Qt::Key_F11); // nothing to show: the player declines
    EXPECT_FALSE(player.isFullScreen());

    player.canFullScreen = true;
    QTest::keyClick(form.get(), Qt::Key_F11);
    EXPECT_TRUE(player.isFullScreen());
    QTest::keyClick(form.get(), Qt::Key_F11);
    EXPECT_FALSE(player.isFullScreen());
    QTest::keyClick(form.get(), Qt::Key_F11);
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(player.isFullScreen());
}

TEST_F(VideoMenuTest, DoubleClickOnTheVideoSwitchesFullScreen) {
    QWidget* video = form->playerArea().videoSurface();
    player.canFullScreen = true;
    QTest::mouseDClick(video, Qt::LeftButton);
    EXPECT_TRUE(player.isFullScreen());
    QTest::mouseDClick(video, Qt::LeftButton);
    EXPECT_FALSE(player.isFullScreen());
    QTest::mouseDClick(video, Qt::RightButton);
    EXPECT_FALSE(player.isFullScreen());
}

TEST_F(VideoMenuTest, OffersTheListsAndTheChannelBrowser) {
    choose("Kanalia...");
    ASSERT_NE(form->channelBrowser(), nullptr);
    EXPECT_TRUE(form->channelBrowser()->isVisible());

    choose("Anoigma listas...");
    auto* files = form->findChild<QFileDialog*>(s("listFileDialog"));
    ASSERT_NE(files, nullptr);
    EXPECT_TRUE(files->isVisible());
    files->close();

    choose("Lista apo diefthinsi...");
    auto* address = form->findChild<QInputDialog*>(s("listAddressDialog"));
    ASSERT_NE(address, nullptr);
    EXPECT_TRUE(address->isVisible());
    address->close();

    // The keys still work once the menu has shown the actions carrying them.
    form->channelBrowser()->close();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(form->channelBrowser()->isVisible());
}

} // namespace
} // namespace orvanto::test
