#include "window/RecordControls.h"

#include "core/Clock.h"
#include "core/MessageSink.h"
#include "playback/RecordingList.h"

#include <QAction>
#include <QFileInfo>
#include <QLocale>
#include <QToolButton>
#include <algorithm>

namespace orvanto {

namespace {

const QString& recordText() {
    static const QString text = QStringLiteral("Record");
    return text;
}

QString sizeText(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

RecordControls::RecordControls(Recorder& recorder, MessageSink& messages, const Clock& clock,
                               RequestFor request, QObject* parent)
    : QObject(parent), recorder_(recorder), messages_(messages), clock_(clock),
      request_(std::move(request)), action_(new QAction(recordText(), this)) {
    action_->setObjectName(QStringLiteral("record"));
    action_->setCheckable(true);
    action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    action_->setShortcutContext(Qt::WindowShortcut);
    connect(action_, &QAction::triggered, this, &RecordControls::toggle);
    connect(&recorder_, &Recorder::recordingChanged, this, &RecordControls::showState);
    connect(&recorder_, &Recorder::ended, this, &RecordControls::onEnded);
    tipTimer_.setInterval(TipUpdateMs);
    connect(&tipTimer_, &QTimer::timeout, this, &RecordControls::showState);
    showState();
}

QToolButton* RecordControls::makeButton() const {
    auto* button = new QToolButton;
    button->setObjectName(QStringLiteral("recordButton"));
    button->setDefaultAction(action_);
    button->setFocusPolicy(Qt::NoFocus); // Ctrl+R is its key; the Tab order stays the bar's
    return button;
}

void RecordControls::channelChanged(const QString& channel) {
    if (recorder_.isRecording() && channel != channel_) {
        recorder_.stop();
    }
}

void RecordControls::toggle(bool on) {
    if (!on) {
        recorder_.stop();
        return;
    }
    const Recorder::Request request = request_();
    channel_ = request.channel;
    recording_ = request;
    const QString refusal = recorder_.start(request);
    if (!refusal.isEmpty()) {
        showState();
        messages_.showMessage(MessageSink::ErrorTitle(), refusal, MessageSink::Icon::Exclamation);
    }
}

void RecordControls::showState() {
    const bool recording = recorder_.isRecording();
    action_->setChecked(recording);
    if (recording) {
        tipTimer_.start();
        const QString path = recorder_.path();
        action_->setToolTip(
            path.isEmpty() ? QStringLiteral("Recording %1: waiting for the stream").arg(channel_)
                           : QStringLiteral("Recording to %1 (%2)")
                                 .arg(path, sizeText(recorder_.bytesWritten())));
    } else {
        tipTimer_.stop();
        action_->setToolTip(lastTip_.isEmpty() ? QStringLiteral("Record what plays (Ctrl+R)")
                                               : lastTip_);
    }
}

void RecordControls::onEnded(const QString& path, qint64 bytes, const QString& reason) {
    if (list_) {
        list_->add(
            {.path = path,
             .channel = recording_.channel,
             .programme = recording_.programme,
             .start = recording_.start,
             .lengthMs = std::max<qint64>(0, recording_.start.msecsTo(clock_.currentDateTime())),
             .bytes = bytes,
             .failure = reason});
    }
    if (!path.isEmpty()) {
        lastTip_ = QStringLiteral("Last recording: %1 (%2)").arg(path, sizeText(bytes));
    }
    showState();
    if (!reason.isEmpty()) {
        QString text = QStringLiteral("The recording stopped. %1").arg(reason);
        if (bytes > 0 && QFileInfo::exists(path)) {
            text += QStringLiteral("\nWhat was recorded is kept in %1 (%2).")
                        .arg(QFileInfo(path).fileName(), sizeText(bytes));
        }
        messages_.showMessage(MessageSink::ErrorTitle(), text, MessageSink::Icon::Exclamation);
    }
}

} // namespace orvanto
