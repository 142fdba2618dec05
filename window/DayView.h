#pragma once

#include "guide/Programme.h"

#include <QDate>
#include <QWidget>
#include <vector>

class QPushButton;
class QTextBrowser;

namespace orvanto {

// A channel's programmes of one day in the channel browser: times, titles and descriptions, what
// is on now standing out, a step to the day before and the day after. The past programmes the
// channel's archive holds are links: Tab to one and Enter, or a double click on it, plays it from
// its start; the one on now has "From the start". Where recording is offered, each programme not
// over yet has "Record" (Enter or a double click on it too).
class DayView : public QWidget {
    Q_OBJECT
public:
    // How far the days go from today.
    static constexpr int LatestOffset = 13;

    explicit DayView(QWidget* parent = nullptr);

    // Shows `programmes` of `channel` on `date` (`time`: now); `playable[i]`: programme i can be
    // played from the archive. `inGuide`: the guide knows the channel. With recording offered,
    // the programmes not over yet have "Record", or "Scheduled" where `scheduled[i]` holds.
    void showDay(const QString& channel, const QDate& date,
                 const std::vector<Programme>& programmes, qint64 time, bool inGuide,
                 const std::vector<bool>& playable, const std::vector<bool>& scheduled = {});
    void clear();

    // The day shown, in days from today (0: today, -1: yesterday), and how far back it may go.
    int offset() const { return offset_; }
    void setOffset(int offset);
    void setEarliestOffset(int offset);
    void setRecordingOffered(bool offered) { recordable_ = offered; }

Q_SIGNALS:
    // Programme `index` of the day shown is to be played from the archive, from its start.
    void programmeChosen(int index);
    // Programme `index` of the day shown is to be recorded at its time.
    void recordChosen(int index);
    // Another day is wanted.
    void offsetChanged(int offset);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(int days);
    void updateButtons();

    QTextBrowser* text_ = nullptr;
    QPushButton* before_ = nullptr;
    QPushButton* after_ = nullptr;
    int offset_ = 0;
    int earliest_ = -1;
    bool recordable_ = false;
    QString shownChannel_; // the day on show
    QDate shownDate_;
};

} // namespace orvanto
