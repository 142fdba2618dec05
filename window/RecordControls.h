#pragma once

#include "playback/Recorder.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QAction;
class QToolButton;

namespace orvanto {

class Clock;
class MessageSink;
class RecordingList;

// "Record" in the player's control bar, in the video's context menu and on Ctrl+R: starts and
// stops recording what plays. The button stays down while it records and its tooltip says
// where to and how much; a recording that cannot start or fails says why in a message, and the
// tooltip keeps where the last one went.
class RecordControls : public QObject {
    Q_OBJECT
public:
    static constexpr int TipUpdateMs = 1000;

    // What the recording started now is of: the channel, its programme, the folder, the start
    // by `clock`.
    using RequestFor = std::function<Recorder::Request()>;

    // All must outlive this. A recording's length is timed by `clock` from the request's start.
    RecordControls(Recorder& recorder, MessageSink& messages, const Clock& clock,
                   RequestFor request, QObject* parent = nullptr);

    // Checked while recording; its shortcut is the window's.
    QAction* action() const { return action_; }
    // A button showing action(), for the control bar; owned by the bar it is put in.
    QToolButton* makeButton() const;

    // A channel other than the one recorded was chosen: the recording ends.
    void channelChanged(const QString& channel);
    // Where each recording is listed once it is over (none: nowhere); it must outlive this.
    void setList(RecordingList* list) { list_ = list; }

private:
    void toggle(bool on);
    void showState();
    void onEnded(const QString& path, qint64 bytes, const QString& reason);

    Recorder& recorder_;
    MessageSink& messages_;
    const Clock& clock_;
    RequestFor request_;
    QAction* action_ = nullptr;
    RecordingList* list_ = nullptr;
    Recorder::Request recording_; // of the recording under way, or the last one
    QString channel_;             // of the recording under way
    QString lastTip_;             // where the last recording went
    QTimer tipTimer_;
};

} // namespace orvanto
