#pragma once

#include <QString>
#include <QStringList>

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

// What the command line asks for.
struct CommandLine {
    // False: print the texts and end with exitCode instead of starting the viewer.
    bool run = true;
    int exitCode = 0;
    QString standardOutput;
    QString standardError;
    // The playlist to show instead of the built-in stations; empty for the built-in ones.
    QString playlist;
    // --check: check the addresses instead of starting the viewer.
    CheckOptions check;
};

// Reads `arguments` (the program's name first): -p/--playlist PATH_OR_URL (also
// --playlist=PATH_OR_URL), -h/--help, --version, and --check [LIST] with its options (--jobs N,
// --timeout S, --json FILE, --write-m3u FILE, --drop-dead, --quiet; each --opt=VALUE too). A usage
// error (unknown option, missing value, stray argument) prints the usage to standard error and
// exits with 2.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace orvanto
