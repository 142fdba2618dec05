#include "window/ChannelListModel.h"

#include "catalogue/Catalogue.h"

namespace orvanto {

ChannelListModel::ChannelListModel(const Catalogue& catalogue, int count, QObject* parent)
    : QAbstractTableModel(parent), catalogue_(catalogue), filter_(catalogue, count),
      rows_(filter_.matches({})) {}

void ChannelListModel::setFilter(const QString& text, const QString& group) {
    std::vector<int> rows = filter_.matches(text, group);
    if (rows == rows_) {
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int ChannelListModel::stationIndex(int row) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(row)] : 0;
}

QString ChannelListModel::stationName(int row) const {
    const int index = stationIndex(row);
    return index > 0 ? catalogue_.station(index).Name : QString();
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
    const Station& s = catalogue_.station(station);
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case NameColumn:
            return s.Name;
        case GroupColumn:
            return s.Group;
        case AddressesColumn:
            return s.urlCount();
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == AddressesColumn) {
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
    case GroupColumn:
        return QStringLiteral("Group");
    case AddressesColumn:
        return QStringLiteral("Addresses");
    default:
        return {};
    }
}

} // namespace orvanto
