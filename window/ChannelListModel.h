#pragma once

#include "catalogue/ChannelFilter.h"
#include "check/CheckSummary.h"
#include "guide/GuideSchedule.h"

#include <QAbstractTableModel>
#include <QTimer>
#include <memory>
#include <utility>
#include <vector>

namespace orvanto {

class Catalogue;

// The channels a filter lets through, as rows of name, group, number of addresses, once the
// list has been checked how many of them play, and what its guide says is on now and next.
class ChannelListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        NameColumn,
        NowColumn,
        NextColumn,
        GroupColumn,
        AddressesColumn,
        PlaysColumn,
        ColumnCount
    };

    // Names folded for searching on each turn of the event loop, for a list longer than
    // ChannelFilter::FoldAtOnce: a few ms, so that a turn that also lays the list out and
    // paints it stays short.
    static constexpr int FoldPerTurn = 4000;

    // Lists stations 1..count of `catalogue`, which must outlive the model and keep them.
    ChannelListModel(const Catalogue& catalogue, int count, QObject* parent = nullptr);

    const ChannelFilter& filter() const { return filter_; }

    // Shows the stations whose name contains `text` (ignoring case and accents) and, unless
    // `group` is empty, whose group is `group`.
    void setFilter(const QString& text, const QString& group);

    // The last check of the list; its counts show in the plays column.
    void setCheckSummary(const CheckSummary& summary);
    const CheckSummary& checkSummary() const { return summary_; }

    // The channel that plays: its row shows in bold, with the stream's title of the moment after
    // its name.
    void setNowPlaying(const QString& name, const QString& title);
    // The guide's schedule (channel i is station i) and the time (seconds since the epoch) the
    // now and next columns show.
    void setGuide(std::shared_ptr<const GuideSchedule> schedule, qint64 time);
    // The time moved on: the now and next columns are brought up to date.
    void setGuideTime(qint64 time);
    qint64 guideTime() const { return guideTime_; }
    // What a provider's portal says is on `station` today (in order of time): its now and next
    // columns show it where the guide has nothing for the station. Kept for the last
    // MaxShortGuides stations asked.
    static constexpr size_t MaxShortGuides = 64;
    void setShortGuide(int station, std::vector<ProgrammeSlot> programmes);

    // The catalogue index of `row`, or 0 for a row out of range.
    int stationIndex(int row) const;
    // The station name of `row`, or an empty string.
    QString stationName(int row) const;

Q_SIGNALS:
    // Every name of a long list is folded for searching now, and its groups are known.
    void filterComplete();

public:
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString playsText(const QString& name) const;
    QString playsTip(const QString& name) const;
    void rowChanged(const QString& name);

    void completeFilter();

    const Catalogue& catalogue_;
    ChannelFilter filter_;
    QTimer* folding_ = nullptr; // while the filter is being completed
    std::vector<int> rows_;     // catalogue indices
    QVariant guideData(int station, int column, int role) const;
    void guideChanged();

    CheckSummary summary_;
    QString playingName_;
    QString playingTitle_;
    std::shared_ptr<const GuideSchedule> schedule_;
    qint64 guideTime_ = 0;
    std::vector<std::pair<int, std::vector<ProgrammeSlot>>> shortGuides_; // the latest last
    GuideSchedule::NowNext shortNowNext(int station) const;
};

} // namespace orvanto
