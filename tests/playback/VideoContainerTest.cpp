#include "playback/VideoContainer.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace orvanto;

TEST(VideoContainer, FullScreenAndBackByEscapeKeepsTheNativeWindow) {
    QWidget window;
    window.resize(400, 300);
    auto* video = new VideoContainer(&window);
    video->setGeometry(10, 20, 200, 150);
    window.show();
    const WId surface = video->surfaceWindow();
    QSignalSpy changes(video, &VideoContainer::fullScreenChanged);

    ASSERT_TRUE(video->enterFullScreen());
    EXPECT_TRUE(video->isFullScreen());
    QWidget* top = QWidget::find(surface);
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top->isWindow());
    EXPECT_TRUE(top->isFullScreen());

    QTest::keyClick(top, Qt::Key_Escape);
    EXPECT_FALSE(video->isFullScreen());
    EXPECT_EQ(top->parentWidget(), video);
    EXPECT_FALSE(top->isWindow());
    EXPECT_EQ(top->geometry(), video->rect());
    EXPECT_EQ(video->surfaceWindow(), surface);
    EXPECT_EQ(changes.count(), 2);
}

TEST(VideoContainer, DestroyedWhileFullScreenTakesItsWindowAlong) {
    auto* video = new VideoContainer;
    video->resize(100, 100);
    const WId surface = video->surfaceWindow();
    QSignalSpy dying(video, &VideoContainer::aboutToBeDestroyed);
    ASSERT_TRUE(video->enterFullScreen());
    QPointer<QWidget> top = QWidget::find(surface);
    delete video;
    EXPECT_EQ(dying.count(), 1);
    EXPECT_TRUE(top.isNull());
}
