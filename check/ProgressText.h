#pragma once

#include <QString>

namespace orvanto {

// The progress of a check in one line: addresses done of all, how many play, time taken and
// an estimate of the time left (from the pace so far).
QString progressText(int done, int total, int playing, qint64 elapsedMs);

} // namespace orvanto
