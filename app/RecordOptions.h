#pragma once

#include <QString>

namespace orvanto {

// What the command line asks a recording without a window to do.
struct RecordOptions {
    static constexpr double MaxMinutes = 24 * 60;

    bool wanted = false;
    QString list;    // a file, an http(s) address or an account
    QString channel; // its name in the list
    double minutes = 0;
    QString output; // the file; empty: the recordings folder, named as the window names it
};

} // namespace orvanto
