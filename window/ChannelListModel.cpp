#include "window/ChannelListModel.h"

#include "catalogue/Catalogue.h"
#include "window/GuideText.h"

#include <QFont>
#include <QLocale>
#include <algorithm>
#include <climits>
#include <utility>

namespace orvanto {

ChannelListModel::ChannelListModel(const Catalogue& catalogue, int count, QObject* parent)
    : QAbstractTableModel(parent), catalogue_(catalogue),
      // A long list is folded only on the turns after this one, which sets it up.
      filter_(catalogue, count, count <= ChannelFilter::FoldAtOnce ? count : 0),
      rows_(filter_.matches({})) {
    if (!filter_.isComplete()) {
        // A long list shows at once; its names are made searchable meanwhile.
        folding_ = new QTimer(this);
        connect(folding_, &QTimer::timeout, this, [this] {
            if (folding_ != nullptr && filter_.foldMore(FoldPerTurn)) {
                completeFilter();
            }
        });
        folding_->start(0);
    }
}

void ChannelListModel::completeFilter() {
    filter_.foldMore(INT_MAX);
    // (Called from the timer's own signal too: it goes once that has returned.)
    QTimer* timer = std::exchange(folding_, nullptr);
    timer->stop();
    timer->deleteLater();
    Q_EMIT filterComplete();
}

void ChannelListModel::setFilter(const QString& text, const QString& group) {
    if (folding_ != nullptr && (!text.isEmpty() || !group.isEmpty())) {
        completeFilter(); // a search cannot wait
    }
    std::vector<int> rows = filter_.matches(text, group);
    if (rows == rows_) {
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void ChannelListModel::setCheckSummary(const CheckSummary& summary) {
    summary_ = summary;
    if (!rows_.empty()) {
        Q_EMIT dataChanged(index(0, PlaysColumn), index(rowCount() - 1, PlaysColumn));
    }
}

void ChannelListModel::setNowPlaying(const QString& name, const QString& title) {
    if (name == playingName_ && title == playingTitle_) {
        return;
    }
    const QString before = playingName_;
    playingName_ = name;
    playingTitle_ = title;
    rowChanged(before);
    if (name != before) {
        rowChanged(name);
    }
}

void ChannelListModel::rowChanged(const QString& name) {
    if (name.isEmpty()) {
        return;
    }
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (catalogue_.station(rows_[row]).Name == name) {
            const int r = static_cast<int>(row);
            Q_EMIT dataChanged(index(r, 0), index(r, ColumnCount - 1));
            return;
        }
    }
}

void ChannelListModel::setGuide(std::shared_ptr<const GuideSchedule> schedule, qint64 time) {
    schedule_ = std::move(schedule);
    guideTime_ = time;
    guideChanged();
}

void ChannelListModel::setGuideTime(qint64 time) {
    guideTime_ = time;
    guideChanged();
}

// One signal for the two columns: the view repaints only the rows it shows.
void ChannelListModel::guideChanged() {
    if (!rows_.empty()) {
        Q_EMIT dataChanged(index(0, NowColumn), index(rowCount() - 1, NextColumn));
    }
}

void ChannelListModel::setShortGuide(int station, std::vector<ProgrammeSlot> programmes) {
    std::erase_if(shortGuides_, [station](const auto& kept) { return kept.first == station; });
    if (shortGuides_.size() >= MaxShortGuides) {
        shortGuides_.erase(shortGuides_.begin());
    }
    shortGuides_.emplace_back(station, std::move(programmes));
    const auto row = std::lower_bound(rows_.begin(), rows_.end(), station);
    if (row != rows_.end() && *row == station) {
        const int at = static_cast<int>(row - rows_.begin());
        Q_EMIT dataChanged(index(at, NowColumn), index(at, NextColumn));
    }
}

GuideSchedule::NowNext ChannelListModel::shortNowNext(int station) const {
    GuideSchedule::NowNext found;
    for (const auto& [at, programmes] : shortGuides_) {
        if (at != station) {
            continue;
        }
        for (const ProgrammeSlot& programme : programmes) {
            if (found.now == nullptr && programme.start <= guideTime_ &&
                guideTime_ < programme.stop) {
                found.now = &programme;
            } else if (programme.start > guideTime_ &&
                       (found.now == nullptr || programme.start >= found.now->stop)) {
                found.next = &programme;
                break;
            }
        }
    }
    return found;
}

QVariant ChannelListModel::guideData(int station, int column, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    GuideSchedule::NowNext nowNext;
    if (schedule_) {
        nowNext = schedule_->at(station, guideTime_);
    }
    if (nowNext.now == nullptr && nowNext.next == nullptr) {
        nowNext = shortNowNext(station);
    }
    const ProgrammeSlot* slot = column == NowColumn ? nowNext.now : nowNext.next;
    if (slot == nullptr) {
        return {};
    }
    if (role == Qt::ToolTipRole) {
        return GuideText::span(slot->start, slot->stop) + u' ' + slot->title;
    }
    return column == NowColumn ? GuideText::now(*slot, guideTime_) : GuideText::next(*slot);
}

int ChannelListModel::stationIndex(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(row)] : 0;
}

QString ChannelListModel::stationName(int row) const {
    const int index = stationIndex(row);
    return index > 0 ? catalogue_.station(index).Name : QString();
}

QString ChannelListModel::playsText(const QString& name) const {
    const auto it = summary_.stations.constFind(name);
    if (it == summary_.stations.cend()) {
        return {};
    }
    return QStringLiteral("%1/%2").arg(it->playing).arg(it->addresses);
}

QString ChannelListModel::playsTip(const QString& name) const {
    const auto it = summary_.stations.constFind(name);
    if (it == summary_.stations.cend()) {
        return summary_.isEmpty() ? QString() : QStringLiteral("Not in the last check");
    }
    return QStringLiteral("%1 of its %2 addresses played on %3")
        .arg(it->playing)
        .arg(it->addresses)
        .arg(QLocale().toString(summary_.checked, QLocale::ShortFormat));
}

int ChannelListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ChannelListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChannelListModel::data(const QModelIndex& index, int role) const {
    const int station = stationIndex(index.row());
    if (station == 0 || !index.isValid()) {
        return {};
    }
    if (index.column() == NowColumn || index.column() == NextColumn) {
        return guideData(station, index.column(), role);
    }
    const Station& s = catalogue_.station(station);
    const bool playing = !playingName_.isEmpty() && s.Name == playingName_;
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case NameColumn:
            return playing && !playingTitle_.isEmpty()
                       ? s.Name + QStringLiteral(" \u2014 ") + playingTitle_
                       : s.Name;
        case GroupColumn:
            return s.Group;
        case AddressesColumn:
            return s.urlCount();
        case PlaysColumn:
            return playsText(s.Name);
        default:
            return {};
        }
    }
    if (role == Qt::ToolTipRole && index.column() == PlaysColumn) {
        return playsTip(s.Name);
    }
    if (role == Qt::ToolTipRole && index.column() == NameColumn && playing &&
        !playingTitle_.isEmpty()) {
        return playingTitle_;
    }
    if (role == Qt::FontRole && playing) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::TextAlignmentRole &&
        (index.column() == AddressesColumn || index.column() == PlaysColumn)) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant ChannelListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case NameColumn:
        return QStringLiteral("Channel");
    case NowColumn:
        return QStringLiteral("Now");
    case NextColumn:
        return QStringLiteral("Next");
    case GroupColumn:
        return QStringLiteral("Group");
    case AddressesColumn:
        return QStringLiteral("Addresses");
    case PlaysColumn:
        return QStringLiteral("Working");
    default:
        return {};
    }
}

} // namespace orvanto
