#pragma once

#include <QTableView>

namespace orvanto {

// The channel browser's list: a table of channels whose Home and End go to the first and the last
// channel, as in a list, rather than to the first and last column of the row.
class ChannelTable : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
};

} // namespace orvanto
