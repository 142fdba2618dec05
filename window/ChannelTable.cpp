#include "window/ChannelTable.h"

namespace orvanto {

QModelIndex ChannelTable::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveHome || action == MoveEnd) {
        modifiers |= Qt::ControlModifier; // the table's rows, not the row's columns
    }
    return QTableView::moveCursor(action, modifiers);
}

} // namespace orvanto
