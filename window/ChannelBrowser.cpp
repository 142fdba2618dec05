#include "window/ChannelBrowser.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Favourites.h"
#include "window/ChannelListModel.h"
#include "window/ChannelTable.h"
#include "window/DayView.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

const QString AllGroups = u"All groups"_s;

} // namespace

ChannelBrowser::ChannelBrowser(const Catalogue& catalogue, int count, const Favourites& favourites,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), catalogue_(catalogue), favourites_(favourites) {
    setObjectName(u"ChannelBrowser"_s);
    setWindowTitle(u"Channels"_s);
    resize(900, 680);

    search_ = new QLineEdit(this);
    search_->setObjectName(u"channelSearch"_s);
    search_->setPlaceholderText(u"Search by name"_s);
    search_->setClearButtonEnabled(true);
    search_->installEventFilter(this);
    groups_ = new QComboBox(this);
    groups_->setObjectName(u"channelGroup"_s);
    groups_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    groups_->setMinimumContentsLength(14);

    // A table, not a tree: a tree lays out an item for every row before it shows any, which for
    // a provider's 250,000 channels held the window some 14 ms; a table's rows cost nothing
    // until they are painted.
    list_ = new ChannelTable(this);
    list_->setObjectName(u"channelList"_s);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->setTabKeyNavigation(false);
    list_->setCornerButtonEnabled(false);
    list_->verticalHeader()->hide();
    // Rows one line high, never measured one by one.
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    play_ = new QPushButton(u"Play"_s, this);
    play_->setObjectName(u"channelPlay"_s);
    pin_ = new QPushButton(this);
    pin_->setObjectName(u"channelPin"_s);
    status_ = new QLabel(this);
    status_->setObjectName(u"channelCount"_s);
    check_ = new QPushButton(u"Check"_s, this);
    check_->setObjectName(u"channelCheck"_s);
    check_->setToolTip(u"Find out which addresses of the list play"_s);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(u"checkProgress"_s);
    progress_->hide();
    checked_ = new QLabel(this);
    checked_->setObjectName(u"checkResult"_s);
    checked_->setWordWrap(true);
    checked_->hide();
    guideStatus_ = new QLabel(this);
    guideStatus_->setObjectName(u"guideStatus"_s);
    guideStatus_->setWordWrap(true);
    guideProgress_ = new QProgressBar(this);
    guideProgress_->setObjectName(u"guideProgress"_s);
    guideProgress_->hide();
    guideButton_ = new QPushButton(u"Guide..."_s, this);
    guideButton_->setObjectName(u"channelGuide"_s);
    guideButton_->setToolTip(u"Set where the programme guide of this list comes from"_s);
    auto* account = new QPushButton(u"Account..."_s, this);
    account->setObjectName(u"openAccount"_s);
    account->setToolTip(u"Open the channels of a provider account (server, user name, password)"_s);
    connect(account, &QPushButton::clicked, this, &ChannelBrowser::accountRequested);
    listNote_ = new QLabel(this);
    listNote_->setObjectName(u"listNote"_s);
    listNote_->setWordWrap(true);
    listNote_->hide();
    day_ = new DayView(this);
    day_->hide();
    connect(day_, &DayView::offsetChanged, this, [this] {
        dayStation_ = 0;
        currentChanged();
    });
    connect(day_, &DayView::programmeChosen, this, [this](int index) {
        if (dayStation_ > 0) {
            Q_EMIT archiveRequested(dayStation_, index);
        }
    });
    connect(day_, &DayView::recordChosen, this, [this](int index) {
        if (dayStation_ > 0) {
            Q_EMIT recordRequested(dayStation_, index);
        }
    });

    auto* top = new QHBoxLayout;
    top->addWidget(search_, 1);
    top->addWidget(groups_);
    auto* checking = new QHBoxLayout;
    checking->addWidget(progress_, 1);
    checking->addWidget(checked_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(check_);
    bottom->addWidget(pin_);
    bottom->addWidget(play_);
    bottom->insertWidget(1, guideButton_);
    bottom->insertWidget(1, account);
    auto* guide = new QHBoxLayout;
    guide->addWidget(guideStatus_, 1);
    guide->addWidget(guideProgress_);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(list_);
    splitter->addWidget(day_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(listNote_);
    layout->addWidget(splitter, 1);
    layout->addLayout(guide);
    layout->addLayout(checking);
    layout->addLayout(bottom);

    connect(search_, &QLineEdit::textChanged, this, &ChannelBrowser::applyFilter);
    connect(search_, &QLineEdit::returnPressed, this, &ChannelBrowser::playCurrent);
    connect(groups_, &QComboBox::currentIndexChanged, this, &ChannelBrowser::applyFilter);
    // Enter and a double click both activate a row.
    connect(list_, &QAbstractItemView::activated, this, &ChannelBrowser::playCurrent);
    connect(play_, &QPushButton::clicked, this, &ChannelBrowser::playCurrent);
    connect(pin_, &QPushButton::clicked, this, &ChannelBrowser::togglePin);
    connect(check_, &QPushButton::clicked, this, &ChannelBrowser::toggleCheck);
    connect(guideButton_, &QPushButton::clicked, this, &ChannelBrowser::guideAddressRequested);

    // Closed as desktop windows are; the viewer quits from here as from its window.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
    }
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this,
            &ChannelBrowser::quitRequested);

    setChannels(count);
    showGuideParts();
}

ChannelBrowser::~ChannelBrowser() = default;

void ChannelBrowser::setChannels(int count) {
    ChannelListModel* old = model_;
    model_ = new ChannelListModel(catalogue_, count, this);
    model_->setCheckSummary(summary_);
    model_->setNowPlaying(playingName_, playingTitle_);
    model_->setGuide(schedule_, guideTime_);
    list_->setModel(model_);
    delete old;
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ChannelBrowser::currentChanged);
    connect(model_, &QAbstractItemModel::modelReset, this, &ChannelBrowser::updateControls);
    connect(model_, &ChannelListModel::filterComplete, this, [this] {
        const QSignalBlocker blockGroups(groups_);
        const QString chosen = groups_->currentData().toString();
        fillGroups();
        groups_->setCurrentIndex(std::max(0, groups_->findData(chosen)));
    });
    QHeaderView* header = list_->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ChannelListModel::NameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ChannelListModel::GroupColumn, QHeaderView::Interactive);
    // Fixed widths: fitting a column to its contents would measure every row.
    for (int column : {ChannelListModel::AddressesColumn, ChannelListModel::PlaysColumn}) {
        header->setSectionResizeMode(column, QHeaderView::Interactive);
        header->resizeSection(column, header->sectionSizeHint(column));
    }
    header->resizeSection(ChannelListModel::GroupColumn, 140);
    header->setSectionResizeMode(ChannelListModel::NowColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(ChannelListModel::NextColumn, QHeaderView::Interactive);
    header->resizeSection(ChannelListModel::NowColumn, 220);
    header->resizeSection(ChannelListModel::NextColumn, 180);
    list_->setColumnHidden(ChannelListModel::NowColumn, !hasGuide_);
    list_->setColumnHidden(ChannelListModel::NextColumn, !hasGuide_);
    {
        const QSignalBlocker blockSearch(search_);
        const QSignalBlocker blockGroups(groups_);
        search_->clear();
        fillGroups();
    }
    model_->setFilter(search_->text(), groups_->currentData().toString());
    // Making the first row current lays the whole list out; on the next turn, that is not added
    // to the model's own set-up.
    QTimer::singleShot(0, this, [this, model = QPointer<ChannelListModel>(model_)] {
        if (model == model_) {
            chooseFirstRow();
        }
    });
    updateControls();
}

void ChannelBrowser::fillGroups() {
    groups_->clear();
    groups_->addItem(AllGroups, QString());
    for (const QString& group : model_->filter().groups()) {
        groups_->addItem(group, group);
    }
    groups_->setVisible(!model_->filter().groups().isEmpty());
}

void ChannelBrowser::present() {
    show();
    raise();
    activateWindow();
    search_->setFocus();
    search_->selectAll();
}

void ChannelBrowser::setNowPlaying(const QString& name, const QString& title) {
    playingName_ = name;
    playingTitle_ = title;
    model_->setNowPlaying(name, title);
}

void ChannelBrowser::favouritesChanged() {
    updateControls();
}

void ChannelBrowser::applyFilter() {
    model_->setFilter(search_->text(), groups_->currentData().toString());
    chooseFirstRow();
}

void ChannelBrowser::chooseFirstRow() {
    if (!list_->currentIndex().isValid() && model_->rowCount() > 0) {
        list_->setCurrentIndex(model_->index(0, 0));
    }
}

int ChannelBrowser::currentStation() const {
    const QModelIndex current = list_->currentIndex();
    return model_->stationIndex(current.isValid() ? current.row() : -1);
}

void ChannelBrowser::currentChanged() {
    updateControls();
    const int station = currentStation();
    if (hasGuide_ && station != dayStation_) {
        dayStation_ = 0;
        if (station > 0) {
            Q_EMIT dayRequested(station, day_->offset());
        } else {
            day_->clear();
        }
    }
}

void ChannelBrowser::setGuide(std::shared_ptr<const GuideSchedule> schedule, qint64 time) {
    schedule_ = std::move(schedule);
    guideTime_ = time;
    model_->setGuide(schedule_, time);
    // The programmes may have changed: the day on show is asked for again.
    dayStation_ = 0;
    currentChanged();
}

void ChannelBrowser::setGuideTime(qint64 time) {
    guideTime_ = time;
    model_->setGuideTime(time);
}

void ChannelBrowser::setGuideStatus(const GuideStatus& status) {
    const bool hadGuide = std::exchange(hasGuide_, status.hasGuide);
    guideStatus_->setText(status.text);
    guideProgress_->setVisible(status.busy);
    if (status.busy) {
        // Bytes can pass what a progress bar's int holds: it counts KiB.
        if (status.total > 0) {
            guideProgress_->setRange(0, static_cast<int>(status.total / 1024) + 1);
            guideProgress_->setValue(static_cast<int>(status.done / 1024));
        } else {
            guideProgress_->setRange(0, 0);
        }
    }
    if (hadGuide != hasGuide_) {
        showGuideParts();
        dayStation_ = 0;
        currentChanged();
    }
}

void ChannelBrowser::showGuideParts() {
    list_->setColumnHidden(ChannelListModel::NowColumn, !hasGuide_);
    list_->setColumnHidden(ChannelListModel::NextColumn, !hasGuide_);
    day_->setVisible(hasGuide_);
    guideStatus_->setVisible(hasGuide_);
    if (!hasGuide_) {
        guideProgress_->hide();
        day_->clear();
    }
}

void ChannelBrowser::setDay(int station, const QDate& date,
                            const std::vector<Programme>& programmes, qint64 time,
                            const std::vector<bool>& playable, const std::vector<bool>& scheduled) {
    if (station != currentStation()) {
        return;
    }
    dayStation_ = station;
    // (A portal's short guide knows a channel that the big guide does not.)
    day_->showDay(catalogue_.station(station).Name, date, programmes, time,
                  (schedule_ && schedule_->matched(station)) || !programmes.empty(), playable,
                  scheduled);
}

void ChannelBrowser::setListNote(const QString& note) {
    listNote_->setText(note);
    listNote_->setVisible(!note.isEmpty());
}

void ChannelBrowser::setShortGuide(int station, std::vector<ProgrammeSlot> programmes) {
    model_->setShortGuide(station, std::move(programmes));
}

void ChannelBrowser::setRecordingOffered(bool offered) {
    day_->setRecordingOffered(offered);
}

void ChannelBrowser::setDaysBack(int days) {
    day_->setEarliestOffset(-qMax(1, days));
}

QString ChannelBrowser::currentName() const {
    const QModelIndex current = list_->currentIndex();
    return model_->stationName(current.isValid() ? current.row() : 0);
}

void ChannelBrowser::updateControls() {
    const int shown = model_->rowCount();
    const int all = model_->filter().size();
    status_->setText(shown == all ? u"%1 channels"_s.arg(all)
                                  : u"%1 of %2 channels"_s.arg(shown).arg(all));
    const QString name = currentName();
    const bool pinned = favourites_.contains(name);
    pin_->setText(pinned ? u"Take off the pages"_s : u"Pin to the pages"_s);
    pin_->setEnabled(!name.isEmpty() && (pinned || !favourites_.isFull()));
    play_->setEnabled(!name.isEmpty());
}

void ChannelBrowser::playCurrent() {
    const QString name = currentName();
    if (!name.isEmpty()) {
        Q_EMIT playRequested(name);
    }
}

void ChannelBrowser::togglePin() {
    const QString name = currentName();
    if (name.isEmpty()) {
        return;
    }
    if (favourites_.contains(name)) {
        Q_EMIT unpinRequested(name);
    } else {
        Q_EMIT pinRequested(name);
    }
    updateControls();
}

void ChannelBrowser::toggleCheck() {
    if (checking_) {
        Q_EMIT checkStopRequested();
    } else {
        Q_EMIT checkRequested();
    }
}

void ChannelBrowser::setCheckProgress(int done, int total, int playing) {
    showChecking(true);
    progress_->setRange(0, qMax(total, 1));
    progress_->setValue(done);
    progress_->setFormat(
        u"%1 of %2 addresses checked, %3 play"_s.arg(done).arg(total).arg(playing));
}

void ChannelBrowser::setCheckSummary(const CheckSummary& summary) {
    summary_ = summary;
    model_->setCheckSummary(summary_);
    showChecking(false);
}

void ChannelBrowser::checkStopped() {
    showChecking(false);
}

void ChannelBrowser::showChecking(bool checking) {
    checking_ = checking;
    check_->setText(checking ? u"Stop check"_s : u"Check"_s);
    progress_->setVisible(checking);
    if (checking) {
        checked_->hide();
    } else {
        showSummary();
    }
}

void ChannelBrowser::showSummary() {
    if (summary_.isEmpty()) {
        checked_->hide();
        return;
    }
    checked_->setText(u"Checked %1: %2 of %3 channels play"_s
                          .arg(QLocale().toString(summary_.checked, QLocale::ShortFormat))
                          .arg(summary_.stationsPlaying())
                          .arg(summary_.stations.size()));
    checked_->show();
}

// Up and down in the search field move through the list, so that one can type, pick and press
// Enter without leaving the keyboard's home row.
bool ChannelBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == search_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageDown ||
            key == Qt::Key_PageUp) {
            QCoreApplication::sendEvent(list_, event);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvanto
