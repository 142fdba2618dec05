#pragma once

#include <QString>

namespace orvanto {

// Where a list's guide stands, for the browser to say.
struct GuideStatus {
    QString text;          // one line: how many channels the guide matched, or what went wrong
    bool busy = false;     // a guide is being read
    qint64 done = 0;       // bytes read of it so far...
    qint64 total = -1;     // ... of this many (-1: not known)
    int matched = 0;       // channels of the list the guides matched
    int channels = 0;      // channels of the list
    bool hasGuide = false; // the list names a guide at all
};

} // namespace orvanto
