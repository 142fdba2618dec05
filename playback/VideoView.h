#pragma once

#include "playback/FrameExchange.h"
#include "playback/VideoDrawing.h"
#include "playback/VideoFit.h"

#include <QTimer>
#include <QWidget>
#include <memory>

namespace orvanto {

class VideoSurface;

// The widget the video shows in: it takes the engine's pictures from its frame exchange and
// draws them (zoomed and shaped as chosen) in the window, or over the whole screen in a window
// of its own. Other widgets lie over it as over any widget; it keeps its place in the window
// throughout, and nothing native moves between windows.
class VideoView : public QWidget {
    Q_OBJECT
public:
    // Draws as `drawing` says until setDrawing() says otherwise.
    explicit VideoView(QWidget* parent = nullptr, VideoDrawing drawing = VideoDrawing::Automatic);
    ~VideoView() override;

    // How the pictures are drawn from now on; OpenGL falls back to the CPU where the platform
    // has none.
    void setDrawing(VideoDrawing drawing);
    bool drawsWithOpenGl() const { return openGl_; }

    // Where the engine hands its pictures over.
    const std::shared_ptr<FrameExchange>& frames() const { return frames_; }

    // How the picture is fitted; both hold for every picture after them, whatever plays.
    void setZoom(VideoZoom zoom);
    VideoZoom zoom() const { return zoom_; }
    void setAspectRatio(AspectRatio ratio);
    AspectRatio aspectRatio() const { return ratio_; }

    bool enterFullScreen();
    void leaveFullScreen();
    bool isFullScreen() const { return fullScreen_ != nullptr; }
    // In full screen the pointer hides once it rested this long over the picture, and shows
    // again when it moves.
    static constexpr int PointerHideMs = 2000;
    void setPointerHideDelay(int ms) { pointerTimer_.setInterval(ms); }

    // A picture of the video on is on show: from its first picture until the video ends.
    bool showsPicture() const { return !frame_.isNull(); }
    // The picture on show (null: none).
    const VideoFrame& frame() const { return frame_; }
    // Where the picture is drawn now, in device pixels of the surface drawing it (the window's,
    // or the full-screen one).
    QRect pictureRect() const;
    // The widget drawing the picture now.
    QWidget* drawingWidget() const;

Q_SIGNALS:
    void fullScreenChanged(bool on);
    // A right click (or the menu key) on the picture, in the window or in full screen; a menu
    // opened for it belongs to `origin`'s window, so that it shows above it.
    void menuRequested(const QPoint& globalPos, QWidget* origin);
    // A double click with the left button on the picture, in the window or in full screen.
    void doubleClicked();
    // showsPicture() changed.
    void pictureShown(bool shown);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    VideoSurface* newSurface(QWidget* parent, Qt::WindowFlags flags);
    void takeFrames();
    void present();
    void useSurface(bool openGl);
    void showPointer();

    std::shared_ptr<FrameExchange> frames_;
    bool openGl_ = false;
    VideoSurface* surface_ = nullptr;    // our child
    VideoSurface* fullScreen_ = nullptr; // a window of its own while full screen
    VideoFrame frame_;
    VideoZoom zoom_ = VideoZoom::Fit;
    AspectRatio ratio_ = AspectRatio::Default;
    QTimer pointerTimer_; // hides the pointer over the full-screen picture
};

} // namespace orvanto
