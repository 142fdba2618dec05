#include "window/PlayerArea.h"

#include "playback/MediaPlayer.h"
#include "playback/VideoView.h"
#include "window/VideoMenu.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace orvanto {

namespace {

void paintBlack(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// Its tip names it for screen readers too. It takes the focus from Tab, not from a click, so
// that a click leaves the keys where they were.
QToolButton* barButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

PlayerArea::PlayerArea(MediaPlayer& player, FailoverPlayer& failover, QWidget* videoSurface,
                       QWidget* parent)
    : QWidget(parent), player_(player), transport_(player, failover), surface_(videoSurface) {
    paintBlack(this);
    if (!surface_) {
        surface_ = new QWidget;
        surface_->setObjectName(QStringLiteral("videoPlaceholder"));
        paintBlack(surface_);
    }
    if (auto* video = qobject_cast<VideoView*>(surface_)) {
        connect(video, &VideoView::menuRequested, this, &PlayerArea::showVideoMenu);
        connect(video, &VideoView::doubleClicked, this, &PlayerArea::toggleFullScreen);
    } else {
        surface_->installEventFilter(this);
        surface_->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(surface_, &QWidget::customContextMenuRequested, this,
                [this](const QPoint& pos) { showVideoMenu(surface_->mapToGlobal(pos)); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, LabelStripHeight, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(surface_, 1);
    layout->addWidget(makeBar(player.volume()));
    // The slider shows every change of the volume, whoever makes it (the alarm rings at 100).
    connect(&player, &MediaPlayer::volumeChanged, volume_, [this](int volume) {
        const QSignalBlocker quiet(volume_);
        volume_->setValue(volume);
    });
}

bool PlayerArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched == surface_ && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        toggleFullScreen();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PlayerArea::toggleFullScreen() {
    player_.setFullScreen(!player_.isFullScreen());
}

QList<QWidget*> PlayerArea::focusChain() const {
    return {play_, stop_, volume_, fullScreen_};
}

void PlayerArea::setPictureTip(const QString& tip) {
    surface_->setToolTip(tip);
}

void PlayerArea::showVideoMenu(const QPoint& globalPos, QWidget* origin) {
    auto* menu = new VideoMenu(player_, transport_, origin ? origin : this);
    if (!windowActions_.isEmpty()) {
        menu->addSeparator();
        menu->addActions(windowActions_);
    }
    menu->popup(globalPos);
}

void PlayerArea::addToBar(QWidget* widget) {
    widget->setParent(barLayout_->parentWidget());
    // After the play and stop buttons, where the stretch is; the stretch stays for when the
    // widget is hidden.
    barLayout_->insertWidget(2, widget, 1);
}

void PlayerArea::addButton(QWidget* button) {
    button->setParent(barLayout_->parentWidget());
    barLayout_->insertWidget(2, button);
}

QWidget* PlayerArea::makeBar(int initialVolume) {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("transportBar"));
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
    bar->setPalette(palette);

    play_ = barButton(bar, QStyle::SP_MediaPlay, QStringLiteral("Paixe"));
    play_->setObjectName(QStringLiteral("transportPlay"));
    stop_ = barButton(bar, QStyle::SP_MediaStop, QStringLiteral("Stop"));
    stop_->setObjectName(QStringLiteral("transportStop"));
    fullScreen_ = barButton(bar, QStyle::SP_TitleBarMaxButton, QStringLiteral("Othoni"));
    fullScreen_->setObjectName(QStringLiteral("transportFullScreen"));
    volume_ = new QSlider(Qt::Horizontal, bar);
    volume_->setObjectName(QStringLiteral("volume"));
    volume_->setRange(0, 100);
    volume_->setValue(initialVolume);
    volume_->setToolTip(QStringLiteral("Entasi"));
    volume_->setAccessibleName(QStringLiteral("Entasi"));
    volume_->setFocusPolicy(Qt::TabFocus);
    volume_->setMaximumWidth(100);

    auto* layout = new QHBoxLayout(bar);
    barLayout_ = layout;
    layout->setContentsMargins(4, 1, 4, 1);
    layout->setSpacing(2);
    layout->addWidget(play_);
    layout->addWidget(stop_);
    layout->addStretch(1);
    auto* speaker = new QLabel(bar);
    speaker->setPixmap(style()->standardIcon(QStyle::SP_MediaVolume).pixmap(16, 16));
    layout->addWidget(speaker);
    layout->addWidget(volume_);
    layout->addWidget(fullScreen_);

    connect(play_, &QToolButton::clicked, this, [this] { transport_.play(); });
    connect(stop_, &QToolButton::clicked, this, [this] { transport_.stop(); });
    connect(fullScreen_, &QToolButton::clicked, this, [this] { transport_.fullScreen(); });
    connect(volume_, &QSlider::valueChanged, this, [this](int v) { transport_.setVolume(v); });
    return bar;
}

} // namespace orvanto
