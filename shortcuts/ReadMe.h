#pragma once

#include <QString>

namespace orvanto {

// The program's read-me text, shown by the "Diavaste" button.
const QString& ReadMeText();
// The read-me box's title: the application's title.
QString ReadMeTitle();

} // namespace orvanto
