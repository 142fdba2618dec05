#include "window/RowTable.h"

#include <QHeaderView>
#include <QTableWidget>

namespace orvanto {

QTableWidget* makeRowTable(const QStringList& headers, QWidget* parent) {
    auto* table = new QTableWidget(0, int(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

} // namespace orvanto
