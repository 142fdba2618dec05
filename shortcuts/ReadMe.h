#pragma once

#include <QString>

namespace orvanto {

// The program's read-me text, shown by the "Diavaste" button.
const QString& ReadMeText();

} // namespace orvanto
