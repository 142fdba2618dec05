#include "window/ArchiveControls.h"

#include "playback/ArchivePlayback.h"
#include "window/GuideText.h"
#include "window/PlayerArea.h"
#include "window/SeekSlider.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QTimer>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// "12:34", or "1:02:03" past an hour.
QString clockOf(qint64 seconds) {
    const qint64 h = seconds / 3600;
    const qint64 m = seconds / 60 % 60;
    const qint64 s = seconds % 60;
    const QString ms =
        u"%1:%2"_s.arg(m, h > 0 ? 2 : 1, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
    return h > 0 ? u"%1:%2"_s.arg(h).arg(ms) : ms;
}

} // namespace

ArchiveControls::ArchiveControls(ArchivePlayback& archive, PlayerArea& area, QObject* parent)
    : QObject(parent), archive_(archive) {
    box_ = new QWidget;
    box_->setObjectName(u"archiveBar"_s);
    slider_ = makeSeekSlider(box_, u"archivePosition"_s, u"Thesi"_s,
                             [this](int seconds) { archive_.seek(seconds); });
    time_ = new QLabel(box_);
    time_->setObjectName(u"archiveTime"_s);
    auto* layout = new QHBoxLayout(box_);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(slider_, 1);
    layout->addWidget(time_);
    area.addToBar(box_);
    box_->hide();

    live_ = new QAction(u"Back to live"_s, this);
    live_->setObjectName(u"archiveLive"_s);
    live_->setShortcut(QKeySequence(Qt::Key_L));
    live_->setShortcutContext(Qt::WidgetShortcut); // the key is handled below, everywhere
    live_->setVisible(false);
    connect(live_, &QAction::triggered, &archive_, &ArchivePlayback::backToLive);

    timer_ = new QTimer(this);
    timer_->setInterval(RefreshMs);
    connect(timer_, &QTimer::timeout, this, &ArchiveControls::refresh);
    connect(&archive_, &ArchivePlayback::changed, this, &ArchiveControls::update);
    connect(&archive_, &ArchivePlayback::sought, this, &ArchiveControls::refresh);
    qApp->installEventFilter(this);
    update();
}

QString ArchiveControls::statusText() const {
    if (!archive_.isActive()) {
        return {};
    }
    const ArchiveProgramme& p = archive_.programme();
    return u"Archive: %1, %2"_s.arg(p.title.isEmpty() ? archive_.channel() : p.title,
                                    GuideText::span(p.start, p.stop));
}

void ArchiveControls::update() {
    const bool active = archive_.isActive();
    box_->setVisible(active);
    live_->setVisible(active);
    if (active) {
        timer_->start();
    } else {
        timer_->stop();
    }
    refresh();
    Q_EMIT statusChanged(statusText());
}

void ArchiveControls::refresh() {
    if (!archive_.isActive()) {
        return;
    }
    const qint64 length = archive_.lengthSeconds();
    const qint64 position = archive_.positionSeconds();
    slider_->setEnabled(archive_.canSeek());
    if (!slider_->isSliderDown()) {
        const QSignalBlocker quiet(slider_);
        slider_->setRange(0, static_cast<int>(qMax<qint64>(0, length)));
        slider_->setValue(static_cast<int>(position));
    }
    slider_->setSingleStep(StepSeconds);
    slider_->setPageStep(StepSeconds * 6);
    time_->setText(clockOf(slider_->isSliderDown() ? slider_->value() : position) + u" / "_s +
                   clockOf(length));
}

bool ArchiveControls::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && archive_.isActive()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        // Keys typed into a text field are the field's.
        const bool typing = watched->inherits("QLineEdit") || watched->inherits("QTextEdit") ||
                            watched->inherits("QAbstractSpinBox") || watched == slider_;
        if (modifiers == Qt::NoModifier && !typing) {
            if (key->key() == Qt::Key_L) {
                archive_.backToLive();
                return true;
            }
            if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
                const int step = key->key() == Qt::Key_Left ? -StepSeconds : StepSeconds;
                archive_.seek(archive_.positionSeconds() + step);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvanto
