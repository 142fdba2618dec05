#include "playback/VideoView.h"

#include "playback/GlVideoSurface.h"
#include "playback/VideoSurface.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

namespace orvanto {

namespace {

bool usesOpenGl(VideoDrawing drawing) {
    switch (drawing) {
    case VideoDrawing::Automatic:
        return false; // until a GPU is found (OpenGlProbe)
    case VideoDrawing::OpenGl:
        return openGlContexts();
    case VideoDrawing::Cpu:
        break;
    }
    return false;
}

void paintBlack(QWidget* widget) {
    QPalette black = widget->palette();
    black.setColor(QPalette::Window, Qt::black);
    widget->setPalette(black);
    widget->setAutoFillBackground(true);
}

} // namespace

VideoView::VideoView(QWidget* parent, VideoDrawing drawing)
    : QWidget(parent), frames_(std::make_shared<FrameExchange>()), openGl_(usesOpenGl(drawing)) {
    paintBlack(this);
    surface_ = newSurface(this, {});
    surface_->widget()->setGeometry(rect());
    connect(frames_.get(), &FrameExchange::changed, this, &VideoView::takeFrames,
            Qt::QueuedConnection);
    pointerTimer_.setSingleShot(true);
    pointerTimer_.setInterval(PointerHideMs);
    connect(&pointerTimer_, &QTimer::timeout, this, [this] {
        if (fullScreen_) {
            fullScreen_->widget()->setCursor(Qt::BlankCursor);
        }
    });
}

VideoView::~VideoView() {
    if (fullScreen_) {
        delete fullScreen_->widget(); // a window of its own is not deleted with us
    }
}

VideoSurface* VideoView::newSurface(QWidget* parent, Qt::WindowFlags flags) {
    VideoSurface* surface = makeVideoSurface(openGl_, parent, flags);
    QWidget* widget = surface->widget();
    paintBlack(widget);
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->installEventFilter(this);
    if (auto* gl = qobject_cast<GlVideoSurface*>(widget)) {
        // OpenGL turned out not to work here: on the CPU from now on.
        connect(gl, &GlVideoSurface::failed, this, [this] { useSurface(false); });
    }
    return surface;
}

void VideoView::setDrawing(VideoDrawing drawing) {
    useSurface(usesOpenGl(drawing));
}

// Draws with OpenGL or on the CPU from now on, in the window and in full screen.
void VideoView::useSurface(bool openGl) {
    if (openGl == openGl_) {
        return;
    }
    openGl_ = openGl;
    const bool fullScreen = isFullScreen();
    leaveFullScreen();
    surface_->widget()->removeEventFilter(this);
    surface_->widget()->deleteLater(); // it may be the one asking for this
    surface_ = newSurface(this, {});
    surface_->widget()->setGeometry(rect());
    surface_->widget()->show();
    present();
    if (fullScreen) {
        enterFullScreen();
    }
}

void VideoView::setZoom(VideoZoom zoom) {
    zoom_ = zoom;
    present();
}

void VideoView::setAspectRatio(AspectRatio ratio) {
    ratio_ = ratio;
    present();
}

void VideoView::takeFrames() {
    const bool shown = showsPicture();
    VideoFrame next = frames_->takeNewest(); // first: the next change is then notified again
    if (!frames_->isActive()) {
        frame_ = {};
    } else if (!next.isNull()) {
        frame_ = std::move(next);
    }
    present();
    if (showsPicture() != shown) {
        Q_EMIT pictureShown(showsPicture());
    }
}

// Hands the picture on show to the surface drawing now, laid out as chosen: in the proportions
// the engine found for it, else in those of the decoder's buffers.
void VideoView::present() {
    PictureLayout layout;
    layout.zoom = zoom_;
    layout.ratio = ratio_;
    if (!frame_.isNull()) {
        const FrameExchange::Shape shape = frames_->shape();
        layout.visible =
            shape.isValid() ? shape.visible : QSize(frame_.format().width, frame_.format().height);
        layout.sampleAspect = shape.sampleAspect;
    }
    if (fullScreen_) {
        // Hidden behind the full-screen window, the window's surface holds no picture: every
        // buffer it held would be one less for the decoder.
        surface_->present({}, layout);
        fullScreen_->present(frame_, layout);
    } else {
        surface_->present(frame_, layout);
    }
}

QRect VideoView::pictureRect() const {
    return (fullScreen_ ? fullScreen_ : surface_)->pictureRect();
}

QWidget* VideoView::drawingWidget() const {
    return (fullScreen_ ? fullScreen_ : surface_)->widget();
}

bool VideoView::enterFullScreen() {
    if (fullScreen_) {
        return true;
    }
    QScreen* target = screen();
    fullScreen_ = newSurface(nullptr, Qt::Window | Qt::FramelessWindowHint);
    QWidget* window = fullScreen_->widget();
    window->setWindowTitle(this->window()->windowTitle());
    window->setWindowIcon(this->window()->windowIcon());
    if (target) {
        window->setScreen(target);
        // Also where no window manager makes full-screen windows cover the screen.
        window->setGeometry(target->geometry());
    }
    window->setMouseTracking(true);
    present();
    window->showFullScreen();
    window->activateWindow();
    window->setFocus();
    pointerTimer_.start();
    Q_EMIT fullScreenChanged(true);
    return true;
}

void VideoView::leaveFullScreen() {
    if (!fullScreen_) {
        return;
    }
    QWidget* window = fullScreen_->widget();
    fullScreen_ = nullptr;
    pointerTimer_.stop();
    window->removeEventFilter(this);
    window->hide();
    window->deleteLater(); // this may run inside one of its own events
    present();
    // The full-screen window had the keyboard: back to the window the picture is in.
    this->window()->activateWindow();
    Q_EMIT fullScreenChanged(false);
}

void VideoView::showPointer() {
    fullScreen_->widget()->unsetCursor();
    pointerTimer_.start();
}

void VideoView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    surface_->widget()->setGeometry(rect());
}

bool VideoView::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool inWindow = widget == surface_->widget();
    const bool inFullScreen = fullScreen_ && widget == fullScreen_->widget();
    if (!inWindow && !inFullScreen) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::ContextMenu:
        Q_EMIT menuRequested(static_cast<QContextMenuEvent*>(event)->globalPos(), widget);
        return true;
    case QEvent::MouseButtonDblClick:
        if (inFullScreen) {
            showPointer();
        }
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Q_EMIT doubleClicked();
            return true;
        }
        break;
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
        if (inFullScreen) {
            showPointer();
        }
        break;
    case QEvent::KeyPress:
        if (inFullScreen && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            leaveFullScreen();
            return true;
        }
        break;
    case QEvent::Close:
        if (inFullScreen) {
            event->ignore();
            leaveFullScreen();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvanto
