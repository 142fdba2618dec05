#include "window/LiveControls.h"

#include "core/MessageSink.h"
#include "playback/LivePause.h"
#include "window/PlayerArea.h"
#include "window/SeekSlider.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

LiveControls::LiveControls(LivePause& pause, PlayerArea& area, MessageSink& messages,
                           QObject* parent)
    : QObject(parent), pause_(pause), messages_(messages) {
    pauseAction_ = new QAction(u"Pause"_s, this);
    pauseAction_->setObjectName(u"pauseLive"_s);
    pauseAction_->setCheckable(true);
    pauseAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    pauseAction_->setShortcutContext(Qt::WindowShortcut);
    pauseAction_->setToolTip(u"Pause live TV, keeping what comes meanwhile (Ctrl+P)"_s);
    connect(pauseAction_, &QAction::triggered, this, &LiveControls::toggle);
    live_ = new QAction(u"Live"_s, this);
    live_->setObjectName(u"toLive"_s);
    live_->setToolTip(u"Back to what is broadcast now"_s);
    connect(live_, &QAction::triggered, this, [this] {
        pause_.moveBehind(0);
        update();
    });

    box_ = new QWidget;
    box_->setObjectName(u"liveBar"_s);
    auto* pauseButton = new QToolButton(box_);
    pauseButton->setObjectName(u"pauseButton"_s);
    pauseButton->setDefaultAction(pauseAction_);
    pauseButton->setFocusPolicy(Qt::NoFocus);
    // Over what is kept, in seconds: the left end the oldest, the right end live.
    slider_ = makeSeekSlider(box_, u"livePosition"_s, u"Behind live"_s, [this](int value) {
        pause_.moveBehind(qint64(-value) * 1000);
        update();
    });
    behind_ = new QLabel(box_);
    behind_->setObjectName(u"behindLive"_s);
    auto* liveButton = new QToolButton(box_);
    liveButton->setObjectName(u"liveButton"_s);
    liveButton->setDefaultAction(live_);
    liveButton->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(box_);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(pauseButton);
    layout->addWidget(slider_, 1);
    layout->addWidget(behind_);
    layout->addWidget(liveButton);
    area.addToBar(box_);

    timer_ = new QTimer(this);
    timer_->setInterval(RefreshMs);
    connect(timer_, &QTimer::timeout, this, &LiveControls::update);
    connect(&pause_, &LivePause::changed, this, &LiveControls::update);
    update();
}

QString LiveControls::behindText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    const QString time = seconds >= 3600
                             ? u"%1:%2:%3"_s.arg(seconds / 3600)
                                   .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
                                   .arg(seconds % 60, 2, 10, QChar(u'0'))
                             : u"%1:%2"_s.arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
    return u"%1 behind live"_s.arg(time);
}

void LiveControls::toggle(bool on) {
    if (!on) {
        pause_.resume();
        update();
        return;
    }
    const QString refusal = pause_.pause();
    update();
    if (!refusal.isEmpty()) {
        messages_.showMessage(MessageSink::ErrorTitle(), refusal, MessageSink::Icon::Exclamation);
    }
}

void LiveControls::update() {
    const bool can = pause_.canPause();
    const bool kept = can && pause_.isKept();
    pauseAction_->setEnabled(can);
    pauseAction_->setChecked(can && pause_.isPaused());
    pauseAction_->setText(pause_.isPaused() ? u"Play"_s : u"Pause"_s);
    box_->setVisible(can);
    slider_->setVisible(kept);
    behind_->setVisible(kept);
    live_->setVisible(kept);
    if (kept) {
        timer_->start();
        const qint64 behindMs = pause_.behindMs();
        behind_->setText(behindText(behindMs));
        if (!slider_->isSliderDown()) {
            const QSignalBlocker quiet(slider_);
            slider_->setRange(-int(pause_.keptMs() / 1000), 0);
            slider_->setPageStep(10);
            slider_->setValue(-int(behindMs / 1000));
        }
        live_->setEnabled(behindMs > 0 || pause_.isPaused());
    } else {
        timer_->stop();
    }
    if (const QString failure = pause_.failure(); !failure.isEmpty() && failure != failureShown_) {
        failureShown_ = failure;
        messages_.showMessage(MessageSink::ErrorTitle(),
                              u"What comes is no longer kept. %1"_s.arg(failure),
                              MessageSink::Icon::Exclamation);
    }
}

} // namespace orvanto
