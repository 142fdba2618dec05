#include "app/GuideWiring.h"

#include "app/ViewerSettings.h"
#include "catalogue/Catalogue.h"
#include "catalogue/PlaylistSource.h"
#include "core/Clock.h"
#include "guide/GuideService.h"
#include "playback/ArchivePlayback.h"
#include "window/ChannelBrowser.h"
#include "window/Form1.h"
#include "window/GuideText.h"

#include <QInputDialog>
#include <algorithm>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// The timer waits at most this long, so that a clock set forward or a machine woken from sleep
// is noticed within a minute.
constexpr qint64 LongestWaitSeconds = 60;
constexpr qint64 DaySeconds = 24 * 3600;

} // namespace

GuideWiring::GuideWiring(Form1& form, const Catalogue& catalogue, GuideService& service,
                         const Clock& clock, QObject* parent)
    : ProgrammeNow(parent), form_(form), catalogue_(catalogue), service_(service), clock_(clock) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::VeryCoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &GuideWiring::update);
    connect(&service_, &GuideService::scheduleChanged, this, &GuideWiring::scheduleChanged);
    connect(&service_, &GuideService::statusChanged, this, &GuideWiring::statusChanged);
    connect(&service_, &GuideService::dayReady, this, &GuideWiring::dayReady);
    connect(&service_, &GuideService::programmesReady, this, &GuideWiring::programmesReady);
    shortGuide_ = new PortalShortGuide(this);
    connect(shortGuide_, &PortalShortGuide::ready, this, &GuideWiring::shortGuideReady);
    connect(&form_, &Form1::channelBrowserCreated, this, &GuideWiring::attach);
    if (form_.channelBrowser() != nullptr) {
        attach(form_.channelBrowser());
    }
    form_.setStationTips([this](const QString& name) { return stationTip(name); });
}

GuideWiring::~GuideWiring() = default;

qint64 GuideWiring::now() const {
    return clock_.currentDateTime().toSecsSinceEpoch();
}

void GuideWiring::showList(const QString& list, const QString& address) {
    list_ = list;
    address_ = address.trimmed();
    sources_.clear();
    const QUrl location = list == ViewerSettings::BuiltinList ? QUrl() : playlistLocation(list);
    const QStringList written =
        address_.isEmpty() ? catalogue_.guideAddresses() : QStringList{address_};
    for (const QString& text : written) {
        const QUrl url = GuideService::guideLocation(text, location);
        if (url.isValid() && !sources_.contains(url)) {
            sources_.append(url);
        }
    }
    std::vector<ListedChannel> channels;
    const int count = form_.channelCount();
    channels.reserve(static_cast<size_t>(count));
    for (int i = 1; i <= count; ++i) {
        const Station& station = catalogue_.station(i);
        channels.push_back({station.Name, station.Tags});
    }
    service_.showList(sources_, std::move(channels), now(), daysBack() * DaySeconds);
    if (browser_) {
        browser_->setDaysBack(daysBack());
    }
}

// How far back the list's archives reach, in days: as far back as its guide is kept and its
// days are shown.
int GuideWiring::daysBack() const {
    int days = 1;
    for (const Station& station : catalogue_) {
        for (int slot = 0; slot < station.urlCount(); ++slot) {
            const Catchup& catchup = station.StreamUrls.catchup(static_cast<size_t>(slot));
            if (catchup.enabled()) {
                days = std::max(days, catchup.days);
            }
        }
    }
    return std::min<int>(days, static_cast<int>(GuideLimits::MaxKeepSeconds / DaySeconds));
}

void GuideWiring::attach(ChannelBrowser* browser) {
    browser_ = browser;
    browser_->setGuideStatus(service_.status());
    browser_->setGuide(service_.schedule(), now());
    browser_->setDaysBack(daysBack());
    connect(browser_, &ChannelBrowser::dayRequested, this, &GuideWiring::requestDay);
    connect(browser_, &ChannelBrowser::archiveRequested, this, &GuideWiring::playArchive);
    connect(browser_, &ChannelBrowser::recordRequested, this, &GuideWiring::record);
    browser_->setRecordingOffered(recordable_);
    connect(browser_, &ChannelBrowser::guideAddressRequested, this, &GuideWiring::askAddress);
    if (const int station = browser_->currentStation(); station > 0) {
        requestDay(station, 0);
    }
}

void GuideWiring::scheduleChanged(const std::shared_ptr<const GuideSchedule>& schedule) {
    if (browser_) {
        browser_->setGuide(schedule, now());
    }
    arm();
    Q_EMIT changed();
    Q_EMIT guideChanged();
}

void GuideWiring::statusChanged(const GuideStatus& status) {
    if (browser_) {
        browser_->setGuideStatus(status);
    }
    arm();
}

void GuideWiring::requestDay(int station, int dayOffset) {
    const QDate day = clock_.currentDateTime().date().addDays(dayOffset);
    dayStation_ = station;
    dayDate_ = day;
    service_.requestDay(station, day.startOfDay().toSecsSinceEpoch(),
                        day.addDays(1).startOfDay().toSecsSinceEpoch());
}

void GuideWiring::dayReady(int station, const std::vector<Programme>& programmes) {
    if (station != dayStation_) {
        return; // an answer for a channel chosen before
    }
    // A channel of a provider account that the guide lacks: the portal tells what is on today.
    if (programmes.empty() && dayDate_ == clock_.currentDateTime().date() &&
        station <= catalogue_.StationCount()) {
        const QUrl url = shortGuideUrl(catalogue_.station(station).StreamUrls[0]);
        if (url.isValid()) {
            shortGuide_->request(station, url);
        }
    }
    showDay(station, programmes);
}

void GuideWiring::shortGuideReady(int station, const std::vector<PortalProgramme>& programmes) {
    if (browser_ && !programmes.empty()) {
        std::vector<ProgrammeSlot> slots;
        slots.reserve(programmes.size());
        for (const PortalProgramme& p : programmes) {
            slots.push_back({p.start, p.stop, p.title});
        }
        browser_->setShortGuide(station, std::move(slots));
    }
    if (station != dayStation_ || programmes.empty() || !dayProgrammes_.empty()) {
        return;
    }
    std::vector<Programme> day;
    day.reserve(programmes.size());
    for (const PortalProgramme& p : programmes) {
        Programme programme;
        programme.start = p.start;
        programme.stop = p.stop;
        programme.title = p.title;
        programme.description = p.description;
        day.push_back(std::move(programme));
    }
    showDay(station, day);
}

void GuideWiring::showDay(int station, const std::vector<Programme>& programmes) {
    dayProgrammes_ = programmes;
    const qint64 time = now();
    std::vector<bool> playable(programmes.size(), false);
    std::vector<bool> scheduled(programmes.size(), false);
    if (station <= catalogue_.StationCount()) {
        const Station& channel = catalogue_.station(station);
        for (size_t i = 0; i < programmes.size(); ++i) {
            playable[i] = archive_ && ArchivePlayback::reaches(channel, programmes[i].start, time);
            scheduled[i] = scheduled_ && scheduled_(channel.Name, programmes[i]);
        }
    }
    if (browser_) {
        browser_->setDay(station, dayDate_, programmes, time, playable, scheduled);
    }
}

void GuideWiring::offerRecording(ScheduledTest scheduled) {
    recordable_ = true;
    scheduled_ = std::move(scheduled);
    if (browser_) {
        browser_->setRecordingOffered(true);
    }
}

void GuideWiring::refreshDay() {
    if (dayStation_ > 0 && !dayProgrammes_.empty()) {
        showDay(dayStation_, std::vector<Programme>(dayProgrammes_));
    }
}

void GuideWiring::record(int station, int index) {
    if (station != dayStation_ || index < 0 || index >= static_cast<int>(dayProgrammes_.size()) ||
        station > catalogue_.StationCount()) {
        return;
    }
    Q_EMIT recordRequested(catalogue_.station(station).Name,
                           dayProgrammes_[static_cast<size_t>(index)]);
}

void GuideWiring::requestProgrammes(int channel, qint64 from, qint64 to) {
    service_.requestProgrammes(channel, from, to);
}

void GuideWiring::playArchive(int station, int index) {
    if (!archive_ || station != dayStation_ || index < 0 ||
        index >= static_cast<int>(dayProgrammes_.size()) || station > catalogue_.StationCount()) {
        return;
    }
    std::vector<ArchiveProgramme> programmes;
    programmes.reserve(dayProgrammes_.size());
    for (const Programme& p : dayProgrammes_) {
        programmes.push_back({p.start, p.stop, p.title, p.catchupId});
    }
    archive_->play(catalogue_.station(station).Name, std::move(programmes), index);
}

QString GuideWiring::stationTip(const QString& name) const {
    const int index = catalogue_.FindStation(name);
    if (index == Catalogue::NotFound || index > form_.channelCount()) {
        return {};
    }
    const qint64 time = now();
    return GuideText::tip(service_.schedule()->at(index, time), time);
}

QString GuideWiring::titleNow(const Station& station) const {
    const int index = catalogue_.FindStation(station.Name);
    if (index == Catalogue::NotFound || index > form_.channelCount()) {
        return {};
    }
    const ProgrammeSlot* now = service_.schedule()->at(index, this->now()).now;
    return now ? now->title : QString();
}

void GuideWiring::askAddress() {
    auto* dialog = new QInputDialog(browser_ ? static_cast<QWidget*>(browser_) : nullptr);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(u"guideAddress"_s);
    dialog->setWindowTitle(u"Programme guide"_s);
    dialog->setLabelText(u"The guide of this list (an XMLTV file or http(s) address, plain, gzip "
                         u"or xz).\nLeave it empty to use the guide the list names itself:"_s);
    dialog->setTextValue(address_);
    dialog->resize(520, dialog->sizeHint().height());
    const QString list = list_;
    connect(dialog, &QInputDialog::textValueSelected, this, [this, list](const QString& text) {
        if (list != list_) {
            return; // another list came meanwhile
        }
        showList(list, text);
        Q_EMIT addressChosen(list, address_);
    });
    dialog->open();
}

void GuideWiring::update() {
    const qint64 time = now();
    const std::shared_ptr<const GuideSchedule>& schedule = service_.schedule();
    if (schedule->validUntil() > 0 && time >= schedule->validUntil()) {
        service_.refreshSchedule(time);
    }
    if (service_.nextDue() > 0 && time >= service_.nextDue()) {
        service_.refreshDue(time);
    }
    if (browser_) {
        browser_->setGuideTime(time);
    }
    arm();
    Q_EMIT changed();
}

// The timer is set for the next moment something shown changes.
void GuideWiring::arm() {
    if (sources_.isEmpty()) {
        timer_.stop();
        return;
    }
    const std::shared_ptr<const GuideSchedule>& schedule = service_.schedule();
    const qint64 time = now();
    qint64 wake = time + LongestWaitSeconds;
    if (schedule->matchedCount() > 0) {
        wake = (time / 60 + 1) * 60; // "minutes left" changes on the minute
    }
    for (const qint64 at :
         {schedule->nextChange(time), schedule->validUntil(), service_.nextDue()}) {
        if (at > time) {
            wake = std::min(wake, at);
        }
    }
    wake = std::min(wake, time + LongestWaitSeconds);
    wakeAt_ = wake;
    const qint64 ms = clock_.currentDateTime().msecsTo(QDateTime::fromSecsSinceEpoch(wake));
    timer_.start(static_cast<int>(std::clamp<qint64>(ms, 0, LongestWaitSeconds * 1000)));
}

} // namespace orvanto
