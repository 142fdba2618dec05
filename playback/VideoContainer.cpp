#include "playback/VideoContainer.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace orvanto {

VideoContainer::VideoContainer(QWidget* parent) : QWidget(parent), surface_(new QWidget(this)) {
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    for (QWidget* widget : {static_cast<QWidget*>(this), surface_}) {
        widget->setPalette(black);
        widget->setAutoFillBackground(true);
    }
    surface_->setFocusPolicy(Qt::StrongFocus);
    surface_->setGeometry(rect());
    surface_->installEventFilter(this);
}

VideoContainer::~VideoContainer() {
    Q_EMIT aboutToBeDestroyed();
    if (fullScreen_) {
        delete surface_; // a top-level window is not deleted with us
    }
}

WId VideoContainer::surfaceWindow() {
    // Only the surface gets a window of its own. Were its ancestors made native too, the
    // player area's window would lie over the window's labels painted on the player and take
    // their clicks.
    surface_->setAttribute(Qt::WA_DontCreateNativeAncestors);
    surface_->setAttribute(Qt::WA_NativeWindow);
    const WId window = surface_->winId();
    placeSurface();
    return window;
}

// Qt creates a native child of a widget without a window of its own at the child's position
// relative to that widget, not to the window it really lies in: the surface is put in its
// place by hand.
void VideoContainer::placeSurface() {
    if (fullScreen_) {
        return; // the surface is a window of its own
    }
    surface_->setGeometry(rect());
    QWidget* host = surface_->nativeParentWidget();
    if (QWindow* window = surface_->windowHandle(); window && host) {
        window->setGeometry(QRect(surface_->mapTo(host, QPoint(0, 0)), size()));
    }
}

bool VideoContainer::enterFullScreen() {
    if (fullScreen_) {
        return true;
    }
    QScreen* target = screen();
    surface_->setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    surface_->setWindowTitle(window()->windowTitle());
    if (target) {
        // Also where no window manager makes full-screen windows cover the screen.
        surface_->setGeometry(target->geometry());
    }
    surface_->showFullScreen();
    surface_->activateWindow();
    surface_->setFocus();
    fullScreen_ = true;
    Q_EMIT fullScreenChanged(true);
    return true;
}

void VideoContainer::leaveFullScreen() {
    if (!fullScreen_) {
        return;
    }
    surface_->setParent(this, Qt::Widget);
    fullScreen_ = false;
    placeSurface();
    surface_->show();
    // The full-screen window had the keyboard: hand it back to the window the video is in.
    window()->activateWindow();
    Q_EMIT fullScreenChanged(false);
}

void VideoContainer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!fullScreen_) {
        placeSurface();
    }
}

bool VideoContainer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == surface_ && event->type() == QEvent::ContextMenu) {
        Q_EMIT menuRequested(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    if (watched == surface_ && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Q_EMIT doubleClicked();
        return true;
    }
    if (watched == surface_ && fullScreen_) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            leaveFullScreen();
            return true;
        }
        if (event->type() == QEvent::Close) {
            event->ignore();
            leaveFullScreen();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvanto
