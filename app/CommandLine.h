#pragma once

#include "app/RecordOptions.h"
#include "check/CheckOptions.h"
#include "playback/VideoDrawing.h"

#include <QString>
#include <QStringList>

namespace orvanto {

// What the command line asks for.
struct CommandLine {
    // False: print the texts and end with exitCode instead of starting the viewer.
    bool run = true;
    int exitCode = 0;
    QString standardOutput;
    QString standardError;
    // The playlist to show instead of the built-in stations; empty for the built-in ones.
    QString playlist;
    // --video-output auto|opengl|cpu: what draws the pictures.
    VideoDrawing videoDrawing = VideoDrawing::Automatic;
    // --check: check the addresses instead of starting the viewer.
    CheckOptions check;
    // --record LIST CHANNEL --for MINUTES [--output FILE]: record instead of starting the viewer.
    RecordOptions record;
    // --probe-opengl (not in the help): print what renders OpenGL here and exit; the viewer
    // starts itself so to learn whether a GPU is there.
    bool probeOpenGl = false;
};

// Reads `arguments` (the program's name first): -p/--playlist PATH_OR_URL (also
// --playlist=PATH_OR_URL, or the playlist alone as the one positional argument),
// --video-output auto|opengl|cpu, -h/--help,
// --version, and --check [LIST] with its options (--jobs N, --timeout S, --json FILE,
// --write-m3u FILE, --drop-dead, --quiet; each --opt=VALUE too), where the one positional
// argument is the list to check; and --record LIST CHANNEL --for MINUTES [--output FILE]. Needs no
// QCoreApplication, so that help and version answer without a display. A usage error (unknown
// option, missing value, stray argument, two playlists) prints the usage to standard error and
// exits with 2.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace orvanto
