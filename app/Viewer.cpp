#include "app/Viewer.h"

#include "alarm/AlarmWiring.h"
#include "app/BrowserCheck.h"
#include "app/GuideWiring.h"
#include "app/ListOpener.h"
#include "app/ScheduleWiring.h"
#include "core/Clock.h"
#include "core/MessageSink.h"
#include "guide/GuideService.h"
#include "lock/AdultButtons.h"
#include "lock/ParentalLock.h"
#include "playback/ArchivePlayback.h"
#include "playback/LivePause.h"
#include "playback/MediaPlayer.h"
#include "playback/RecordingList.h"
#include "shortcuts/UrlOpener.h"
#include "shortcuts/WebShortcuts.h"
#include "window/Form1.h"
#include "window/FormControls.h"
#include "window/LiveControls.h"
#include "window/PlayerArea.h"
#include "window/RecordControls.h"
#include "window/RecordingsDialog.h"
#include "window/ScheduleDialog.h"

#include <QAction>
#include <QStandardPaths>
#include <QToolButton>
#include <QUrl>

namespace orvanto {

namespace {

// The locked stations' names, which a user's list may not take over.
QStringList lockedStationNames() {
    Catalogue scratch;
    RegisterAdultStations(scratch);
    QStringList names;
    for (const Station& station : scratch) {
        names << station.Name;
    }
    return names;
}

} // namespace

Viewer::Viewer(const ViewerServices& services)
    : services_(services),
      failover_(catalogue_, services.player, services.attemptTicker, services.messages),
      archive_(std::make_unique<ArchivePlayback>(catalogue_, failover_, services.player,
                                                 services.messages, services.clock)) {}

Viewer::~Viewer() = default;

void Viewer::start(const StationRegistrations& registrations) {
    form_ = std::make_unique<Form1>(catalogue_, failover_, services_.player, services_.videoWidget);
    form_->load(registrations);
    form_->setArchive(*archive_);
    FormControls& controls = form_->controls();
    lock_ = std::make_unique<ParentalLock>(services_.prompt, services_.messages, failover_);
    shortcuts_ = std::make_unique<WebShortcuts>(services_.opener, services_.messages);
    alarm_ = std::make_unique<AlarmWiring>(
        controls, services_.player, failover_,
        AlarmWiring::Timing{services_.clock, services_.alarmWatch, services_.alarmRing},
        services_.alarmSound);
    unbound_ = BindAdultButtons(controls, *lock_) + BindWebShortcuts(controls, *shortcuts_);
    lists_ = std::make_unique<ListOpener>(catalogue_, *form_, failover_, services_.player,
                                          services_.messages);
    lists_->setLockedStations(adultStationRegistrations(), lockedStationNames());
    lists_->setSecrets(services_.secrets);
    QObject::connect(form_.get(), &Form1::listRequested, lists_.get(), &ListOpener::open);
    QObject::connect(form_.get(), &Form1::accountRequested, lists_.get(),
                     [this] { lists_->askAccount(); });
    browserCheck_ = std::make_unique<BrowserCheck>(*form_, catalogue_, services_.listCheck,
                                                   CheckCache(services_.checkCacheDir));
    guideService_ = std::make_unique<GuideService>(
        services_.guideCacheDir.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                  QStringLiteral("/guides")
            : services_.guideCacheDir);
    guide_ = std::make_unique<GuideWiring>(*form_, catalogue_, *guideService_, services_.clock);
    guide_->setArchive(archive_.get());
    if (services_.recorder) {
        bindRecording(*services_.recorder);
    }
    if (services_.livePause) {
        bindLivePause(*services_.livePause);
    }
    form_->show();
}

void Viewer::bindLivePause(LivePause& pause) {
    // An archive the engine reads itself starts again from its beginning when copied.
    pause.setLiveTest([this] { return !archive_->isActive(); });
    live_ = std::make_unique<LiveControls>(pause, form_->playerArea(), services_.messages);
    QObject::connect(&pause, &LivePause::userPaused, &failover_,
                     [this](bool paused) { failover_.setUserPaused(paused); });
    form_->addPlayerActions({live_->pauseAction(), live_->liveAction()});
}

// The channel that plays, the guide's programme on it now, and the folder chosen.
void Viewer::bindRecording(Recorder& recorder) {
    auto requestNow = [this] {
        Recorder::Request request;
        request.channel = failover_.channel();
        if (const int index = catalogue_.FindStation(request.channel); index > 0) {
            request.programme = guide_->titleNow(catalogue_.station(index));
        }
        request.start = services_.clock.currentDateTime();
        request.folder = services_.recordingFolder;
        return request;
    };
    record_ = std::make_unique<RecordControls>(recorder, services_.messages, services_.clock,
                                               std::move(requestNow));
    recordings_ = std::make_unique<RecordingList>(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
        QStringLiteral("/recordings.conf"));
    record_->setList(recordings_.get());
    auto* list = new QAction(QStringLiteral("Recordings..."), form_.get());
    list->setObjectName(QStringLiteral("showRecordings"));
    QObject::connect(list, &QAction::triggered, form_.get(), [this] { showRecordings(); });
    QList<QAction*> actions{record_->action(), list};
    if (services_.scheduleTicker != nullptr) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        schedule_ = std::make_unique<ScheduleWiring>(
            ScheduleWiring::Collaborators{.catalogue = catalogue_,
                                          .guide = *guide_,
                                          .lists = *lists_,
                                          .window = failover_,
                                          .messages = services_.messages,
                                          .clock = services_.clock,
                                          .ticker = *services_.scheduleTicker,
                                          .made = *recordings_},
            ScheduleWiring::Setup{.file = folder + QStringLiteral("/schedule.conf"),
                                  .folder = services_.recordingFolder,
                                  .paddingBefore = services_.paddingBefore,
                                  .paddingAfter = services_.paddingAfter});
        auto* scheduled = new QAction(QStringLiteral("Scheduled recordings..."), form_.get());
        scheduled->setObjectName(QStringLiteral("showSchedule"));
        QObject::connect(scheduled, &QAction::triggered, form_.get(), [this] { showSchedule(); });
        actions << scheduled;
    }
    form_->addPlayerActions(actions);
    form_->playerArea().addButton(record_->makeButton());
    QObject::connect(&failover_, &FailoverPlayer::channelChanged, record_.get(),
                     &RecordControls::channelChanged);
}

// The recordings made, played in the window and their folder opened by the desktop.
void Viewer::showRecordings() {
    RecordingsDialog::Actions actions{
        .play =
            [this](const QString& path) {
                failover_.standDown();
                services_.player.setURL(QUrl::fromLocalFile(path).toString());
            },
        .openFolder =
            [this](const QString& folder) {
                services_.opener.open(QUrl::fromLocalFile(folder).toString());
            },
    };
    auto* dialog = new RecordingsDialog(*recordings_, std::move(actions), form_.get());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show(); // beside the window, whose player plays what is chosen
}

// What is scheduled, how it stands, and a way to cancel it.
void Viewer::showSchedule() {
    auto* dialog = new ScheduleDialog(
        schedule_->schedule(), [this](quint64 id) { schedule_->scheduler().cancel(id); },
        form_.get());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

FormControls& Viewer::controls() {
    return form_->controls();
}

AlarmClock& Viewer::alarm() {
    return alarm_->alarm();
}

void Viewer::showError(const QString& text) {
    services_.messages.showMessage(MessageSink::ErrorTitle(), text, MessageSink::Icon::Exclamation);
}

} // namespace orvanto
