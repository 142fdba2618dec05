#pragma once

#include <QString>

namespace orvanto {

// What the command line asks a check of a list's addresses to do.
struct CheckOptions {
    static constexpr int MaxJobs = 64;

    bool wanted = false;
    QString list;     // a file, an http(s) address or an account; empty: the built-in stations
    QString password; // an account's, where the list is one (never shown or written)
    int jobs = 8;
    int timeoutSeconds = 15;
    QString jsonFile;
    QString m3uFile;
    bool dropDead = false;
    bool quiet = false;
};

} // namespace orvanto
