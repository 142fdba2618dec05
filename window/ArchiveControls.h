#pragma once

#include <QObject>
#include <QString>

class QAction;
class QLabel;
class QSlider;
class QTimer;
class QWidget;

namespace orvanto {

class ArchivePlayback;
class PlayerArea;

// The archive in the window while one plays: the programme's position and a slider to seek
// with in the player's control bar, the status text ("Archive: News, 20:00–20:30"), the keys
// (Left and Right a step back and on, L back to live, wherever the viewer's windows have the
// keyboard) and the video menu's "Back to live".
class ArchiveControls : public QObject {
    Q_OBJECT
public:
    static constexpr int StepSeconds = 10;
    static constexpr int RefreshMs = 500;

    // Both must outlive this.
    ArchiveControls(ArchivePlayback& archive, PlayerArea& area, QObject* parent = nullptr);

    // The status line's text while an archive plays; empty when none does.
    QString statusText() const;
    // "Back to live", for the video menu: visible while an archive plays.
    QAction* liveAction() const { return live_; }
    QSlider* slider() const { return slider_; }
    QLabel* timeLabel() const { return time_; }

Q_SIGNALS:
    // statusText() has changed.
    void statusChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void update();
    void refresh();

    ArchivePlayback& archive_;
    QWidget* box_ = nullptr;
    QSlider* slider_ = nullptr;
    QLabel* time_ = nullptr;
    QAction* live_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace orvanto
