#include "playback/VideoContainer.h"

#include <QKeyEvent>
#include <QScreen>

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
    surface_->setAttribute(Qt::WA_NativeWindow);
    return surface_->winId();
}

bool VideoContainer::enterFullScreen() {
    if (fullScreen_) {
        return true;
    }
    QScreen* target = screen();
    surface_->setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
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
    surface_->setGeometry(rect());
    surface_->show();
    fullScreen_ = false;
    Q_EMIT fullScreenChanged(false);
}

void VideoContainer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!fullScreen_) {
        surface_->setGeometry(rect());
    }
}

bool VideoContainer::eventFilter(QObject* watched, QEvent* event) {
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
