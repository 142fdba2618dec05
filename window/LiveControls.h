#pragma once

#include <QObject>
#include <QString>

class QAction;
class QLabel;
class QSlider;
class QTimer;
class QToolButton;
class QWidget;

namespace orvanto {

class LivePause;
class MessageSink;
class PlayerArea;

// Pausing live TV in the window: "Pause" in the control bar, in the video's menu and on Ctrl+P
// while a live channel plays; once paused, how far behind live it is, a slider over what is kept
// and "Live" back to what is broadcast now.
class LiveControls : public QObject {
    Q_OBJECT
public:
    static constexpr int RefreshMs = 500;

    // All must outlive this.
    LiveControls(LivePause& pause, PlayerArea& area, MessageSink& messages,
                 QObject* parent = nullptr);

    QAction* pauseAction() const { return pauseAction_; }
    QAction* liveAction() const { return live_; }
    QSlider* slider() const { return slider_; }
    QLabel* behindLabel() const { return behind_; }

    // "1:05 behind live"
    static QString behindText(qint64 ms);

private:
    void toggle(bool on);
    void update();

    LivePause& pause_;
    MessageSink& messages_;
    QAction* pauseAction_ = nullptr;
    QAction* live_ = nullptr;
    QWidget* box_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* behind_ = nullptr;
    QTimer* timer_ = nullptr;
    QString failureShown_;
};

} // namespace orvanto
