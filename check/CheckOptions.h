#pragma once

#include <QString>

namespace orvanto {

// What the command line asks a check of a list's addresses to do.
struct CheckOptions {
    static constexpr int MaxJobs = 64;

    bool wanted = false;
    QString list; // a file or an http(s) address; empty: the built-in stations
    int jobs = 8;
    int timeoutSeconds = 15;
    QString jsonFile;
    QString m3uFile;
    bool dropDead = false;
    bool quiet = false;
};

} // namespace orvanto
