#pragma once

#include "catalogue/ProgrammeNow.h"
#include "guide/GuideSchedule.h"
#include "guide/GuideStatus.h"
#include "guide/Programme.h"
#include "net/PortalShortGuide.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace orvanto {

class ArchivePlayback;
class Catalogue;
class ChannelBrowser;
class Clock;
class Form1;
class GuideService;

// The programme guide in the window: the guides of the list on show (its header's, or the
// address the user set for it, which the session keeps) go to the guide service, and what comes
// back to the channel browser (now and next, the status, the day of the channel chosen) and to the
// station buttons' tooltips. One timer, set for the next moment anything shown changes (a
// programme's start or end, the next minute of "minutes left"), keeps it up to date, asks for now
// and next again when the schedule runs out and for the guides that fall due. It tells the
// desktop what is on now (ProgrammeNow), with changed() at each of those moments.
class GuideWiring : public ProgrammeNow {
    Q_OBJECT
public:
    // All must outlive this.
    GuideWiring(Form1& form, const Catalogue& catalogue, GuideService& service, const Clock& clock,
                QObject* parent = nullptr);
    ~GuideWiring() override;

    // The list named `list` (a path, an address, or the built-in stations' key) is on show;
    // `address`, when not empty, is the guide the user set for it, used instead of the list's own.
    void showList(const QString& list, const QString& address = {});

    // The list on show, as showList() was given it.
    const QString& list() const { return list_; }
    // The guides the list on show uses.
    const QList<QUrl>& sources() const { return sources_; }

    // Where the day view's past programmes are played from their channel's archive (none: the
    // day view offers none). It must outlive this.
    void setArchive(ArchivePlayback* archive) { archive_ = archive; }
    // The day view's programmes not over yet offer "Record", which gives recordRequested(), or
    // say "Scheduled" where `scheduled(channel, programme)` holds.
    using ScheduledTest = std::function<bool(const QString& channel, const Programme& programme)>;
    void offerRecording(ScheduledTest scheduled);
    // Shows the day on show again (what is scheduled changed).
    void refreshDay();
    // Asks for the programmes of `channel` (a station of the list on show) between `from` and
    // `to`, for the scheduled recordings: programmesReady() follows.
    void requestProgrammes(int channel, qint64 from, qint64 to);

    // Brings what is shown up to the clock's time, asking for now and next again and for the
    // guides that are due when their time has come. The timer calls it at wakeAt().
    void update();
    // When the timer is set to go off (seconds since the epoch), or 0 when it is not running.
    qint64 wakeAt() const { return timer_.isActive() ? wakeAt_ : 0; }

    QString titleNow(const Station& station) const override;

Q_SIGNALS:
    // The user set `address` (empty: none) as the guide of `list`; it is shown at once.
    void addressChosen(const QString& list, const QString& address);
    // "Record" on `programme` of the channel `channel` of the list on show.
    void recordRequested(const QString& channel, const orvanto::Programme& programme);
    // The guide was read again or replaced: what is scheduled may have moved.
    void guideChanged();
    void programmesReady(int channel, const std::vector<orvanto::Programme>& programmes);

private:
    void attach(ChannelBrowser* browser);
    void askAddress();
    void scheduleChanged(const std::shared_ptr<const GuideSchedule>& schedule);
    void statusChanged(const GuideStatus& status);
    void dayReady(int station, const std::vector<Programme>& programmes);
    void showDay(int station, const std::vector<Programme>& programmes);
    void shortGuideReady(int station, const std::vector<PortalProgramme>& programmes);
    void requestDay(int station, int dayOffset);
    void playArchive(int station, int index);
    void record(int station, int index);
    int daysBack() const;
    QString stationTip(const QString& name) const;
    qint64 now() const;
    void arm();

    Form1& form_;
    const Catalogue& catalogue_;
    GuideService& service_;
    const Clock& clock_;
    QPointer<ChannelBrowser> browser_;
    ArchivePlayback* archive_ = nullptr;
    bool recordable_ = false;
    ScheduledTest scheduled_;
    // The day last asked for, and what came of it.
    int dayStation_ = 0;
    QDate dayDate_;
    std::vector<Programme> dayProgrammes_;
    // A portal's own short guide, for the chosen channel of an account that the guide lacks.
    PortalShortGuide* shortGuide_ = nullptr;
    QString list_;
    QString address_;
    QList<QUrl> sources_;
    QTimer timer_;
    qint64 wakeAt_ = 0;
};

} // namespace orvanto
