// The widget the video shows in, drawn on the CPU (headless): the pictures it takes, where it
// draws them, what holds across videos, full screen and back, and the clicks on the picture.

#include "playback/VideoView.h"

#include "PictureSource.h"
#include "playback/VideoPlacement.h"
#include "support/WaitFor.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace orvanto;
using namespace orvanto::test;

namespace {

constexpr int WaitMs = 5000;

class VideoViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view = std::make_unique<VideoView>(nullptr, VideoDrawing::Cpu);
        view->resize(329, 300);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    void TearDown() override { view.reset(); }

    FrameExchange& frames() { return *view->frames(); }
    // Waits until the view shows picture `number`.
    bool shows(int number) {
        return waitFor([&] { return PictureSource::numberOf(view->frame()) == number; }, WaitMs);
    }
    // What the picture's part of the screen shows.
    QImage screen() const { return view->drawingWidget()->grab().toImage(); }

    std::unique_ptr<VideoView> view;
};

} // namespace

TEST_F(VideoViewTest, ShowsEachNewPictureFittedInItsRoomWithBlackAround) {
    QSignalSpy shown(view.get(), &VideoView::pictureShown);
    EXPECT_FALSE(view->showsPicture());
    PictureSource decoder(frames(), formatOf("I420", 64, 48));
    decoder.decode(128); // mid grey: every sample in the middle
    ASSERT_TRUE(shows(128));
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(view->pictureRect(), QRect(0, 26, 329, 247));
    const QImage image = screen();
    EXPECT_EQ(image.pixelColor(164, 10), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(164, 290), QColor(Qt::black));
    const QColor grey = image.pixelColor(164, 150);
    EXPECT_NEAR(grey.red(), 130, 4);
    EXPECT_NEAR(grey.green(), 130, 4);
    EXPECT_NEAR(grey.blue(), 130, 4);
    for (const QPoint corner : {QPoint(0, 26), QPoint(328, 26), QPoint(0, 272), QPoint(328, 272)}) {
        EXPECT_EQ(image.pixelColor(corner), grey) << corner.x() << "," << corner.y();
    }
    EXPECT_EQ(image.pixelColor(0, 25), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(0, 273), QColor(Qt::black));
    decoder.decode(200);
    ASSERT_TRUE(shows(200));
    EXPECT_NE(screen().pixelColor(164, 150), grey);
    EXPECT_EQ(shown.count(), 1) << "still the same video";
}

TEST_F(VideoViewTest, WhenTheVideoEndsThePictureGoesAndBlackShows) {
    QSignalSpy shown(view.get(), &VideoView::pictureShown);
    PictureSource decoder(frames(), formatOf("I420", 64, 48));
    decoder.decode(235);
    ASSERT_TRUE(shows(235));
    frames().unconfigure();
    ASSERT_TRUE(waitFor([&] { return !view->showsPicture(); }, WaitMs));
    ASSERT_EQ(shown.count(), 2);
    EXPECT_FALSE(shown.at(1).at(0).toBool());
    EXPECT_TRUE(view->pictureRect().isNull());
    EXPECT_EQ(screen().pixelColor(164, 150), QColor(Qt::black));
}

TEST_F(VideoViewTest, ZoomAndAspectHoldForTheNextVideoAndItsOwnShape) {
    PictureSource decoder(frames(), formatOf("I420", 64, 48));
    decoder.decode(1);
    ASSERT_TRUE(shows(1));
    view->setZoom(VideoZoom::Double);
    EXPECT_EQ(view->pictureRect().size(), QSize(128, 96));
    view->setAspectRatio(AspectRatio::SixteenNine);
    EXPECT_EQ(view->pictureRect().size(), QSize(171, 96));

    // Another station: another format, with samples twice as wide as high.
    frames().unconfigure();
    PictureSource next(frames(), formatOf("I420", 160, 120));
    frames().setShape(frames().generation(), {QSize(160, 120), QSize(2, 1)});
    next.decode(2);
    ASSERT_TRUE(shows(2));
    EXPECT_EQ(view->pictureRect().size(), QSize(427, 240)) << "200 % and 16:9 still";
    view->setAspectRatio(AspectRatio::Default);
    EXPECT_EQ(view->pictureRect().size(), QSize(640, 240)) << "the samples' own shape";
    view->setZoom(VideoZoom::Fit);
    EXPECT_EQ(view->pictureRect(), QRect(0, 88, 329, 123));
}

TEST_F(VideoViewTest, FullScreenIsAWindowOfItsOwnAndBackThePictureIsInTheWindowAgain) {
    QSignalSpy fullScreen(view.get(), &VideoView::fullScreenChanged);
    PictureSource decoder(frames(), formatOf("I420", 64, 48));
    decoder.decode(1);
    ASSERT_TRUE(shows(1));
    QWidget* inWindow = view->drawingWidget();
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(view->enterFullScreen());
        QWidget* window = view->drawingWidget();
        EXPECT_NE(window, inWindow);
        EXPECT_TRUE(window->isWindow());
        EXPECT_TRUE(waitFor([&] { return window->isFullScreen(); }, WaitMs));
        decoder.decode(10 + round);
        ASSERT_TRUE(shows(10 + round));
        PictureLayout card;
        card.visible = QSize(64, 48);
        EXPECT_EQ(view->pictureRect(),
                  placePicture(card, window->size() * window->devicePixelRatio()));
        view->leaveFullScreen();
        EXPECT_EQ(view->drawingWidget(), inWindow);
        EXPECT_EQ(PictureSource::numberOf(view->frame()), 10 + round);
        EXPECT_TRUE(waitFor(
            [&] {
                const QWidgetList windows = QApplication::topLevelWidgets();
                return std::count_if(windows.begin(), windows.end(),
                                     [](QWidget* w) { return w->isVisible(); }) == 1;
            },
            WaitMs))
            << "no full-screen window is left";
    }
    EXPECT_EQ(fullScreen.count(), 6);
}

// Hidden behind the full-screen window, the window's own surface must let go of its picture:
// the decoder needs every buffer but the one on show.
TEST_F(VideoViewTest, InFullScreenThePictureDueKeepsItsBufferWhileTheDecoderWorks) {
    PictureSource decoder(frames(), formatOf("I420", 64, 48));
    decoder.decode(1);
    ASSERT_TRUE(shows(1)); // in the window
    ASSERT_TRUE(view->enterFullScreen());
    decoder.decode(2);
    ASSERT_TRUE(shows(2)); // in full screen
    decoder.decode(3);     // due, not taken yet
    const auto a = decoder.lockAndWrite(4);
    const auto b = decoder.lockAndWrite(5);
    EXPECT_TRUE(shows(3)) << "picture 3 was overwritten before it showed";
    decoder.unlockAndShow(a);
    decoder.unlockAndShow(b);
    EXPECT_TRUE(shows(5));
    view->leaveFullScreen();
}

TEST_F(VideoViewTest, ClicksOnThePictureAskForTheMenuAndFullScreenInTheWindowAndInFullScreen) {
    QSignalSpy menu(view.get(), &VideoView::menuRequested);
    QSignalSpy doubleClicked(view.get(), &VideoView::doubleClicked);
    for (int round = 0; round < 2; ++round) {
        QWidget* surface = view->drawingWidget();
        QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(10, 20),
                                surface->mapToGlobal(QPoint(10, 20)));
        QApplication::sendEvent(surface, &right);
        ASSERT_EQ(menu.count(), round + 1);
        EXPECT_EQ(menu.last().at(1).value<QWidget*>(), surface)
            << "the menu belongs to the window it opens over";
        QTest::mouseDClick(surface, Qt::LeftButton, {}, QPoint(10, 20));
        EXPECT_EQ(doubleClicked.count(), round + 1);
        QTest::mouseDClick(surface, Qt::RightButton, {}, QPoint(10, 20));
        EXPECT_EQ(doubleClicked.count(), round + 1)
            << "the right button's double click is no toggle";
        view->enterFullScreen();
    }
    // Escape and closing the full-screen window leave full screen; the window stays.
    QTest::keyClick(view->drawingWidget(), Qt::Key_Escape);
    EXPECT_FALSE(view->isFullScreen());
    view->enterFullScreen();
    view->drawingWidget()->close();
    EXPECT_FALSE(view->isFullScreen());
    EXPECT_TRUE(view->isVisible());
}

TEST_F(VideoViewTest, InFullScreenThePointerHidesWhileItRestsAndShowsWhenItMoves) {
    view->setPointerHideDelay(20);
    ASSERT_TRUE(view->enterFullScreen());
    QWidget* window = view->drawingWidget();
    const auto hidden = [&] { return window->cursor().shape() == Qt::BlankCursor; };
    EXPECT_TRUE(waitFor(hidden, WaitMs));
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 50), window->mapToGlobal(QPointF(50, 50)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &move);
    EXPECT_FALSE(hidden());
    EXPECT_TRUE(waitFor(hidden, WaitMs)) << "hidden again once it rests";
    view->leaveFullScreen();
    EXPECT_NE(view->drawingWidget()->cursor().shape(), Qt::BlankCursor);
}

TEST_F(VideoViewTest, ChangingWhatDrawsKeepsThePictureAndFullScreen) {
    PictureSource decoder(frames(), formatOf("I420", 64, 48));
    decoder.decode(1);
    ASSERT_TRUE(shows(1));
    ASSERT_TRUE(view->enterFullScreen());
    view->setDrawing(VideoDrawing::OpenGl); // headless: no OpenGL, stays on the CPU
    view->setDrawing(VideoDrawing::Cpu);
    EXPECT_TRUE(view->isFullScreen());
    EXPECT_EQ(PictureSource::numberOf(view->frame()), 1);
    EXPECT_FALSE(view->pictureRect().isNull());
    view->leaveFullScreen();
}
