#pragma once

#include <QWidget>

namespace orvanto {

// The widget the video shows in. It keeps its place in the window; for full screen its inner
// surface (the native window the video is drawn into) becomes a full-screen window of its own,
// and Escape, closing that window or leaveFullScreen() put it back in its place. The surface
// keeps its native window throughout, so the video goes on drawing into it.
class VideoContainer : public QWidget {
    Q_OBJECT
public:
    explicit VideoContainer(QWidget* parent = nullptr);
    ~VideoContainer() override;

    // The native window to draw the video into (created on first use).
    WId surfaceWindow();

    bool enterFullScreen();
    void leaveFullScreen();
    bool isFullScreen() const { return fullScreen_; }

Q_SIGNALS:
    void fullScreenChanged(bool on);
    // A right click (or the menu key) on the video, in the window or in full screen.
    void menuRequested(const QPoint& globalPos);
    // A double click with the left button on the video, in the window or in full screen.
    void doubleClicked();
    // Emitted first thing in the destructor, while the native window still exists: whoever
    // draws into it must stop now.
    void aboutToBeDestroyed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeSurface();

    QWidget* surface_; // our child, or a top-level window of ours while full screen
    bool fullScreen_ = false;
};

} // namespace orvanto
