#pragma once

#include "catalogue/BuiltinStations.h"
#include "catalogue/Catalogue.h"
#include "playback/FailoverPlayer.h"

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

namespace orvanto {

class AlarmClock;
class ArchivePlayback;
class AlarmWiring;
class BrowserCheck;
class Clock;
class Form1;
class FormControls;
class GuideService;
class GuideWiring;
class ListCheck;
class ListOpener;
class MediaPlayer;
class MessageSink;
class ParentalLock;
class PasswordPrompt;
class RecordControls;
class LiveControls;
class LivePause;
class Recorder;
class RecordingList;
class ScheduleWiring;
class SecretStore;
class Ticker;
class UrlOpener;
class WebShortcuts;

// What the viewer takes from outside: the program hands in the real player, timers, clock,
// boxes and URL opener, the tests fakes and hand-driven ones. Everything named here outlives the
// viewer.
struct ViewerServices {
    MediaPlayer& player;
    QWidget* videoWidget;  // where the player shows its picture (may be null)
    Ticker& attemptTicker; // the failover player's one-second tick
    MessageSink& messages;
    PasswordPrompt& prompt;
    UrlOpener& opener;
    const Clock& clock;    // the alarm's time of day
    Ticker& alarmWatch;    // the alarm's watch, once a second
    Ticker& alarmRing;     // the alarm's ring, every two seconds
    QString alarmSound;    // the sound file the alarm rings
    ListCheck& listCheck;  // the channel browser's background check
    QString checkCacheDir; // where the results of the browser's checks are kept
    // Where the lists' programme guides are kept; empty: guides/ in the user's cache folder.
    QString guideCacheDir = {};
    // Where provider accounts' passwords are kept; null: asked for each time.
    SecretStore* secrets = nullptr;
    // What records the player's stream; null: the window offers no recording.
    Recorder* recorder = nullptr;
    // Where recordings go; empty: ~/Videos/Orvanto or ~/Music/Orvanto.
    QString recordingFolder = {};
    // What pauses a live channel; null: the window offers no pause.
    LivePause* livePause = nullptr;
    // Scheduled recordings: their tick, once a second (null: no scheduled recordings), and the
    // seconds they start before their programme and go on after it.
    Ticker* scheduleTicker = nullptr;
    qint64 paddingBefore = 2 * 60;
    qint64 paddingAfter = 5 * 60;
};

// The viewer as one piece: the catalogue and the failover player, the window, the parental lock,
// the web shortcuts, the alarm, the opening of other lists, the browser's check and the programme
// guide, wired to each other. Members go in reverse order, so the window's bindings go before the
// window and the window before the failover player it uses.
class Viewer {
public:
    explicit Viewer(const ViewerServices& services);
    ~Viewer();
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    // Builds the window with the stations of `registrations`, binds its controls and shows it.
    // Once only.
    void start(const StationRegistrations& registrations = builtinStationRegistrations());

    Catalogue& catalogue() { return catalogue_; }
    FailoverPlayer& failover() { return failover_; }
    MediaPlayer& player() { return services_.player; }
    // The parts below exist from start() on.
    Form1& form() { return *form_; }
    FormControls& controls();
    ParentalLock& lock() { return *lock_; }
    WebShortcuts& shortcuts() { return *shortcuts_; }
    AlarmClock& alarm();
    ListOpener& lists() { return *lists_; }
    BrowserCheck& browserCheck() { return *browserCheck_; }
    GuideWiring& guide() { return *guide_; }
    ArchivePlayback& archive() { return *archive_; }
    // Null without recording or without a schedule ticker.
    ScheduleWiring* schedule() { return schedule_.get(); }
    // Controls of the layout that no logic could be bound to (empty when all are bound).
    const QStringList& unboundControls() const { return unbound_; }

    // An error box titled "Lathos".
    void showError(const QString& text);

private:
    void bindRecording(Recorder& recorder);
    void bindLivePause(LivePause& pause);
    void showRecordings();
    void showSchedule();

    ViewerServices services_;
    Catalogue catalogue_;
    FailoverPlayer failover_;
    std::unique_ptr<ArchivePlayback> archive_;
    std::unique_ptr<GuideService> guideService_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<ParentalLock> lock_;
    std::unique_ptr<WebShortcuts> shortcuts_;
    std::unique_ptr<AlarmWiring> alarm_;
    std::unique_ptr<ListOpener> lists_;
    std::unique_ptr<BrowserCheck> browserCheck_;
    std::unique_ptr<GuideWiring> guide_;
    std::unique_ptr<RecordingList> recordings_;
    std::unique_ptr<RecordControls> record_;
    std::unique_ptr<LiveControls> live_;
    std::unique_ptr<ScheduleWiring> schedule_;
    QStringList unbound_;
};

} // namespace orvanto
