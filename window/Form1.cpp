#include "window/Form1.h"

#include "catalogue/Catalogue.h"
#include "playback/FailoverPlayer.h"
#include "playback/MediaPlayer.h"
#include "window/ArchiveControls.h"
#include "window/ChannelBrowser.h"
#include "window/ClickLabel.h"
#include "window/ClockText.h"
#include "window/ControlBuilder.h"
#include "window/ControlDesign.h"
#include "window/ControlRole.h"
#include "window/FullScreenKeys.h"
#include "window/ListRequests.h"
#include "window/Pictures.h"
#include "window/PlayerArea.h"
#include "window/StationButtonCaption.h"
#include "window/VolumeKeys.h"
#include "window/WindowControls.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSlider>
#include <QTimer>
#include <algorithm>

namespace orvanto {

namespace {

const QString kTitle = QStringLiteral("Orvanto Live TV");
using Role = ControlRole;
const QString kStationButtons = controlName(Role::StationButtons);
const QString kPageOptions = controlName(Role::PageOptions);
const QString kPageCaptions = controlName(Role::PageCaptions);
const QString kStationPanel = controlName(Role::StationPanel);

} // namespace

Form1::Form1(Catalogue& catalogue, FailoverPlayer& failover, MediaPlayer& player,
             QWidget* videoSurface, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue), failover_(failover), player_(player),
      pages_(catalogue) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kTitle);
    setWindowIcon(QIcon(Pictures::monitorIcon()));
    setFont(layoutFont(ControlDesign::Font::Default));
    QPalette background = palette();
    background.setColor(QPalette::Window,
                        QColor::fromRgb(static_cast<QRgb>(WindowDesign::Background) | 0xFF000000u));
    setPalette(background);
    setAutoFillBackground(true);
    resize(WindowControls::toPixels(WindowDesign::ClientWidth),
           WindowControls::toPixels(WindowDesign::ClientHeight));

    controls_ = new WindowControls(*this);
    playerArea_ = new PlayerArea(player_, failover_, videoSurface);
    buildControls(windowLayout(), *controls_, playerArea_);
    nameControls(accessibleNames(), *controls_);
    tabChain(tabOrder(), *controls_, playerArea_->focusChain());
    wireControls();

    qApp->installEventFilter(new FullScreenKeys(player_, this));
    qApp->installEventFilter(new VolumeKeys(player_, playerArea_->transport(), this));
    clock_ = new QTimer(this);
    clock_->setObjectName(QStringLiteral("Timer1"));
    clock_->setInterval(ClockIntervalMs);
    connect(clock_, &QTimer::timeout, this, &Form1::onClockTick);
}

Form1::~Form1() = default;

FormControls& Form1::controls() {
    return *controls_;
}

void Form1::wireControls() {
    tips_ = new StationTips(this);
    for (int i = 0; i < StationPages::ButtonCount; ++i) {
        auto* button = controls_->get<QPushButton>(kStationButtons, i);
        connect(button, &QPushButton::clicked, this, [this, i] { onStationButton(i); });
        tips_->watch(button);
    }
    for (int i = 0; i <= StationPages::AlarmPage; ++i) {
        connect(controls_->get<QRadioButton>(kPageOptions, i), &QRadioButton::clicked, this,
                [this, i] { onPageOption(i); });
    }
    connect(controls_->get<ClickLabel>(Role::StripCutOffLabel), &ClickLabel::clicked, this,
            [this] { applyStrip(WindowStrip::cutOff()); });
    connect(controls_->get<ClickLabel>(Role::StripRestoreLabel), &ClickLabel::clicked, this,
            [this] { applyStrip(WindowStrip::restore()); });
    connect(controls_->get<ClickLabel>(Role::FullScreenLabel), &ClickLabel::clicked, this,
            &Form1::onFullScreenLabel);
    // While an archive plays the line says which programme, not the player's states.
    auto* status = controls_->get<QLabel>(Role::StatusLabel);
    connect(&failover_, &FailoverPlayer::statusTextChanged, status,
            [this, status](const QString& text) {
                const QString archive =
                    archiveControls_ ? archiveControls_->statusText() : QString();
                status->setText(archive.isEmpty() ? text : archive);
            });
    connect(&player_, &MediaPlayer::nowPlayingChanged, this, &Form1::showNowPlaying);
    connect(&failover_, &FailoverPlayer::channelChanged, this, &Form1::showNowPlaying);
    auto* find = new QShortcut(QKeySequence::Find, this);
    find->setObjectName(QStringLiteral("findChannel"));
    connect(find, &QShortcut::activated, this, &Form1::openChannelBrowser);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quit->setObjectName(QStringLiteral("quit"));
    connect(quit, &QShortcut::activated, this, &QWidget::close);
    auto* requests = new ListRequests(this);
    connect(requests, &ListRequests::requested, this, &Form1::listRequested);

    // The same requests from the video's context menu, with their keys shown beside them.
    auto* openFile = new QAction(QStringLiteral("Anoigma listas..."), this);
    openFile->setShortcut(QKeySequence::Open);
    openFile->setShortcutContext(Qt::WidgetShortcut); // the key itself is the shortcut's above
    connect(openFile, &QAction::triggered, requests, &ListRequests::chooseFile);
    auto* openAddress = new QAction(QStringLiteral("Lista apo diefthinsi..."), this);
    openAddress->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    openAddress->setShortcutContext(Qt::WidgetShortcut);
    connect(openAddress, &QAction::triggered, requests, &ListRequests::askAddress);
    auto* account = new QAction(QStringLiteral("Account..."), this);
    connect(account, &QAction::triggered, this, &Form1::accountRequested);
    auto* browse = new QAction(QStringLiteral("Kanalia..."), this);
    browse->setShortcut(QKeySequence::Find);
    browse->setShortcutContext(Qt::WidgetShortcut);
    connect(browse, &QAction::triggered, this, &Form1::openChannelBrowser);
    windowActions_ = {openFile, openAddress, account, browse};
    playerArea_->setWindowActions(windowActions_);
}

void Form1::addPlayerActions(const QList<QAction*>& actions) {
    windowActions_ = actions + windowActions_;
    playerArea_->setWindowActions(
        archiveControls_ ? QList<QAction*>{archiveControls_->liveAction()} + windowActions_
                         : windowActions_);
}

void Form1::setArchive(ArchivePlayback& archive) {
    Q_ASSERT(!archiveControls_);
    archiveControls_ = new ArchiveControls(archive, *playerArea_, this);
    auto* status = controls_->get<QLabel>(Role::StatusLabel);
    connect(archiveControls_, &ArchiveControls::statusChanged, status,
            [status](const QString& text) {
                if (!text.isEmpty()) {
                    status->setText(text);
                }
            });
    playerArea_->setWindowActions(QList<QAction*>{archiveControls_->liveAction()} + windowActions_);
}

void Form1::load(const StationRegistrations& registrations) {
    // 1. The parental lock's password is compiled in (lock/).
    // 2. The station panel moves into view, right of the player.
    QWidget* panel = controls_->control(kStationPanel);
    panel->move(WindowControls::toPixels(StationPanelLeft),
                WindowControls::toPixels(StationPanelTop));
    panel->show();
    // 3, 4. The alarm's hour and minute lists are the alarm's own (alarm/AlarmBinder).
    // 5. The start page is requested by the composition root, once the window is up.
    // 6. Today's date, once.
    controls_->get<QLabel>(Role::DateLabel)
        ->setText(QLocale().toString(QDate::currentDate(), QStringLiteral("dddd dd MMMM yyyy")));
    // 7. The window's size.
    controls_->setHeightTwips(StartHeight);
    controls_->setWidthTwips(WindowStrip::StartWidth);
    // 8. The catalogue and the first page of station buttons.
    buildStationList(registrations);

    clock_->start();
}

void Form1::buildStationList(const StationRegistrations& registrations) {
    pages_.build(registrations);
    currentPage_ = 0;
    showPages(favourites_.isEmpty() ? pages_.pagesInUse()
                                    : pages_.showFavourites(favourites_.names()));
}

void Form1::showPages(int pagesInUse) {
    for (int page = 0; page < StationPages::PageCount; ++page) {
        controls_->control(kPageCaptions, page)->setVisible(page < pagesInUse);
        controls_->control(kPageOptions, page)->setVisible(page < pagesInUse);
    }
    if (currentPage_ >= pagesInUse && currentPage_ != StationPages::AlarmPage) {
        currentPage_ = 0;
        controls_->get<QRadioButton>(kPageOptions, 0)->setChecked(true);
    }
    if (currentPage_ != StationPages::AlarmPage) {
        showStations(pages_.stationsOn(currentPage_));
    }
}

void Form1::reload(const StationRegistrations& registrations) {
    favourites_ = Favourites();
    pages_.build(registrations);
    if (currentPage_ != StationPages::AlarmPage) {
        currentPage_ = 0;
        controls_->get<QRadioButton>(kPageOptions, 0)->setChecked(true);
    }
    showPages(pages_.pagesInUse());
    if (browser_ != nullptr) {
        browser_->setChannels(pages_.regularCount());
        browser_->favouritesChanged();
    }
}

void Form1::setFavourites(const QStringList& names) {
    favourites_ = Favourites(names);
    applyFavourites();
}

bool Form1::pinFavourite(const QString& name) {
    if (!favourites_.pin(name)) {
        return false;
    }
    applyFavourites();
    return true;
}

bool Form1::unpinFavourite(const QString& name) {
    if (!favourites_.unpin(name)) {
        return false;
    }
    applyFavourites();
    return true;
}

void Form1::applyFavourites() {
    showPages(pages_.showFavourites(favourites_.names()));
    if (browser_ != nullptr) {
        browser_->favouritesChanged();
    }
    Q_EMIT favouritesChanged(favourites_.names());
}

void Form1::setListNote(const QString& note) {
    listNote_ = note;
    if (browser_ != nullptr) {
        browser_->setListNote(note);
    }
}

void Form1::openChannelBrowser() {
    if (browser_ == nullptr) {
        browser_ = new ChannelBrowser(catalogue_, pages_.regularCount(), favourites_, this);
        connect(browser_, &ChannelBrowser::playRequested, this,
                [this](const QString& station) { failover_.SelectStation(station, 0); });
        connect(browser_, &ChannelBrowser::pinRequested, this, &Form1::pinFavourite);
        connect(browser_, &ChannelBrowser::unpinRequested, this, &Form1::unpinFavourite);
        connect(browser_, &ChannelBrowser::quitRequested, this, &QWidget::close);
        connect(browser_, &ChannelBrowser::accountRequested, this, &Form1::accountRequested);
        browser_->setListNote(listNote_);
        browser_->setNowPlaying(failover_.channel(), player_.nowPlaying());
        Q_EMIT channelBrowserCreated(browser_);
    }
    browser_->present();
}

// Shows `names` on the first station buttons and hides the rest: a button without a station
// could only answer that its channel does not exist. Captions of hidden buttons stay as they
// were.
void Form1::showStations(const QStringList& names) {
    for (int i = 0; i < StationPages::ButtonCount; ++i) {
        auto* button = controls_->get<QPushButton>(kStationButtons, i);
        if (i < names.size()) {
            button->setText(StationButtonCaption::fromName(names.at(i)));
        }
        button->setVisible(i < names.size());
    }
}

void Form1::onStationButton(int index) {
    const QString caption = controls_->get<QPushButton>(kStationButtons, index)->text();
    failover_.SelectStation(StationButtonCaption::toName(caption), 0);
}

void Form1::onPageOption(int index) {
    currentPage_ = index;
    setAlarmControlsVisible(false);
    const StationPages::View view = pages_.choose(index);
    if (view.stationPanel) {
        showStations(view.stations);
        controls_->control(kStationPanel)->show();
    }
    if (view.alarmControls) {
        controls_->control(kStationPanel)->hide();
        setAlarmControlsVisible(true);
    }
}

void Form1::stepPage(int step) {
    const int pagesInUse = pages_.pagesInUse();
    if (pagesInUse == 0) {
        return;
    }
    // From the alarm page, Page Down goes to the first page and Page Up to the last.
    const int from =
        currentPage_ == StationPages::AlarmPage ? (step > 0 ? -1 : pagesInUse) : currentPage_;
    const int page = std::clamp(from + step, 0, pagesInUse - 1);
    if (page != currentPage_) {
        auto* option = controls_->get<QRadioButton>(kPageOptions, page);
        option->setChecked(true);
        onPageOption(page);
    }
}

void Form1::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (modifiers == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_PageDown:
            stepPage(1);
            return;
        case Qt::Key_PageUp:
            stepPage(-1);
            return;
        case Qt::Key_M:
            player_.setMuted(!player_.isMuted());
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

void Form1::setAlarmControlsVisible(bool visible) {
    for (const Role role : AlarmPageControls) {
        controls_->control(role)->setVisible(visible);
    }
}

// The stream's own title of the moment, over the status label and the picture, and in the
// browser's row of the channel.
void Form1::showNowPlaying() {
    const QString title = player_.nowPlaying();
    controls_->control(Role::StatusLabel)->setToolTip(title);
    playerArea_->setPictureTip(title);
    if (browser_ != nullptr) {
        browser_->setNowPlaying(failover_.channel(), title);
    }
}

void Form1::applyStrip(const WindowStrip::State& state) {
    controls_->setWidthTwips(state.widthTwips);
    controls_->control(Role::StripCutOffLabel)->setVisible(state.cutOffLabel);
    controls_->control(Role::StripRestoreLabel)->setVisible(state.restoreLabel);
}

void Form1::onClockTick() {
    controls_->get<QLabel>(Role::ClockLabel)->setText(ClockText::text(QTime::currentTime()));
}

// A player with nothing to show declines; that is no error worth a word.
void Form1::onFullScreenLabel() {
    player_.setFullScreen(true);
}

// Closing ends the program at once: nothing is asked or kept, and playback stops.
void Form1::closeEvent(QCloseEvent* event) {
    clock_->stop();
    failover_.standDown();
    player_.stop();
    event->accept();
    QCoreApplication::quit();
}

} // namespace orvanto
