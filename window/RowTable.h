#pragma once

#include <QStringList>

class QTableWidget;
class QWidget;

namespace orvanto {

// A table of whole rows, one chosen at a time, read only, under `headers`: the lists of
// recordings and of scheduled ones.
QTableWidget* makeRowTable(const QStringList& headers, QWidget* parent);

} // namespace orvanto
