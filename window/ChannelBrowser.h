#pragma once

#include "check/CheckSummary.h"
#include "guide/GuideSchedule.h"
#include "guide/GuideStatus.h"
#include "guide/Programme.h"

#include <QWidget>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace orvanto {

class Catalogue;
class ChannelListModel;
class DayView;
class Favourites;

// A window listing every channel of the loaded list with its group and number of addresses.
// Typing filters by name as one types, ignoring case and accents; a box filters by group. Enter
// or a double click asks for the channel to be played; a button pins it to the station pages or
// takes it off them. "Check" asks for the list's addresses to be checked; the browser shows the
// check's progress and then, beside each channel, how many of its addresses play. When the list
// has a programme guide, the columns "Now" and "Next" say what is on, the channel chosen shows
// its programmes of the day (and of the days before and after), of which those its archive holds
// can be played, and a line says how much of the list the guide matched. Escape or Ctrl+W close
// it.
class ChannelBrowser : public QWidget {
    Q_OBJECT
public:
    // Lists stations 1..count of `catalogue`; `favourites` tells which are pinned. Both must
    // outlive the browser.
    ChannelBrowser(const Catalogue& catalogue, int count, const Favourites& favourites,
                   QWidget* parent = nullptr);
    ~ChannelBrowser() override;

    // Lists stations 1..count again, after the catalogue has changed; the filter is cleared.
    void setChannels(int count);
    // Shows the browser, raised, with the search field ready for typing.
    void present();
    // Tells the browser the favourites have changed.
    void favouritesChanged();
    // The channel that plays and the stream's title of the moment, for its row.
    void setNowPlaying(const QString& name, const QString& title);

    // A check of the list is under way: `done` addresses of `total`, `playing` of them play.
    void setCheckProgress(int done, int total, int playing);
    // The last check of the list (empty: none); a check under way is over.
    void setCheckSummary(const CheckSummary& summary);
    // The check under way ended without a result; the last one stays on show.
    void checkStopped();

    // The guide's schedule, shown as of `time` (seconds since the epoch).
    void setGuide(std::shared_ptr<const GuideSchedule> schedule, qint64 time);
    // The time the now and next columns show moved on.
    void setGuideTime(qint64 time);
    // Where the list's guide stands; without a guide its columns and the day are hidden.
    void setGuideStatus(const GuideStatus& status);
    // The programmes of `date` on catalogue station `station`, shown if it is still chosen;
    // `playable[i]`: programme i can be played from the channel's archive; `scheduled[i]`: it is
    // to be recorded.
    void setDay(int station, const QDate& date, const std::vector<Programme>& programmes,
                qint64 time, const std::vector<bool>& playable = {},
                const std::vector<bool>& scheduled = {});
    // What a provider's portal says is on `station` today, for its now and next columns where
    // the guide has nothing for it.
    void setShortGuide(int station, std::vector<ProgrammeSlot> programmes);
    // A line about the list (a provider account's state); empty hides it.
    void setListNote(const QString& note);
    // How many days back the day shown may go (the longest archive of the list, at least one).
    void setDaysBack(int days);
    // Whether the day's programmes not over yet offer "Record".
    void setRecordingOffered(bool offered);
    // The catalogue index of the channel chosen, or 0.
    int currentStation() const;

    ChannelListModel& model() { return *model_; }

Q_SIGNALS:
    void playRequested(const QString& name);
    void pinRequested(const QString& name);
    void unpinRequested(const QString& name);
    void checkRequested();
    // "Account...": a provider account is to be opened.
    void accountRequested();
    void checkStopRequested();
    // Ctrl+Q: the viewer is to quit.
    void quitRequested();
    // The channel chosen, or the day shown (in days from today), changed while the list has a
    // guide: its programmes of that day are wanted.
    void dayRequested(int station, int dayOffset);
    // Programme `index` of the day shown on `station` is to be played from its archive.
    void archiveRequested(int station, int index);
    // Programme `index` of the day shown on `station` is to be recorded at its time.
    void recordRequested(int station, int index);
    // "Guide..." was pressed: the user wants to set the list's guide address.
    void guideAddressRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter();
    // Makes the first row current where none is.
    void chooseFirstRow();
    void fillGroups();
    void updateControls();
    QString currentName() const;
    void playCurrent();
    void togglePin();
    void toggleCheck();
    void showChecking(bool checking);
    void showSummary();
    void currentChanged();
    void showGuideParts();

    const Catalogue& catalogue_;
    const Favourites& favourites_;
    ChannelListModel* model_ = nullptr;
    QLineEdit* search_ = nullptr;
    QComboBox* groups_ = nullptr;
    QTableView* list_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* pin_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* listNote_ = nullptr;
    QPushButton* check_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* checked_ = nullptr;
    QLabel* guideStatus_ = nullptr;
    QProgressBar* guideProgress_ = nullptr;
    QPushButton* guideButton_ = nullptr;
    DayView* day_ = nullptr;
    CheckSummary summary_;
    bool checking_ = false;
    QString playingName_;
    QString playingTitle_;
    std::shared_ptr<const GuideSchedule> schedule_;
    qint64 guideTime_ = 0;
    bool hasGuide_ = false;
    int dayStation_ = 0; // the station whose day is on show, or 0
};

} // namespace orvanto
