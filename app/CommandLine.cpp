#include "app/CommandLine.h"

#include "orvanto/Version.h"
#include "playback/OpenGlProbe.h"

#include <QCommandLineParser>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr int UsageError = 2;
constexpr int MaxTimeoutSeconds = 3600;

const QString Program = u"orvanto-tv"_s;

const QString NeedsValue = u"needs a file or an address"_s;

// The options, described for the help text.
struct Options {
    QCommandLineOption playlist{{u"p"_s, u"playlist"_s},
                                u"show the stations of an M3U or M3U8 playlist (a file or an "
                                u"http(s) address) instead of the built-in ones"_s,
                                u"PATH_OR_URL"_s};
    QCommandLineOption videoOutput{
        u"video-output"_s,
        u"what draws the pictures: auto (OpenGL where a GPU runs it, else the CPU; the "
        u"default), opengl or cpu"_s,
        u"auto|opengl|cpu"_s};
    QCommandLineOption help{{u"h"_s, u"help"_s}, u"show this help and exit"_s};
    QCommandLineOption version{u"version"_s, u"show the version and exit"_s};
    QCommandLineOption check{u"check"_s,
                             u"check which addresses of LIST (a file or an http(s) address, given "
                             u"as the argument; without it the built-in stations) play, without a "
                             u"window, and print the result"_s};
    QCommandLineOption jobs{u"jobs"_s, u"addresses checked at once (1 to 64, default 8)"_s, u"N"_s};
    QCommandLineOption timeout{u"timeout"_s, u"seconds allowed per address (default 15)"_s, u"S"_s};
    QCommandLineOption json{u"json"_s, u"write the result of --check as JSON"_s, u"FILE"_s};
    QCommandLineOption writeM3u{
        u"write-m3u"_s, u"write the checked list back, working addresses first"_s, u"FILE"_s};
    QCommandLineOption dropDead{u"drop-dead"_s,
                                u"leave addresses that do not play out of the written list"_s};
    QCommandLineOption quiet{u"quiet"_s, u"no progress of --check on standard error"_s};
    QCommandLineOption record{
        u"record"_s, u"record CHANNEL of LIST (the two arguments: a file, an http(s) address or "
                     u"an account, and a channel's name) without a window, trying its addresses "
                     u"as the window does, and exit with 0 once something was recorded"_s};
    QCommandLineOption forMinutes{
        u"for"_s, u"how long --record records once the channel plays, in minutes (1.5 too)"_s,
        u"MINUTES"_s};
    QCommandLineOption output{
        u"output"_s, u"the file --record writes (default: the recordings folder)"_s, u"FILE"_s};
    QCommandLineOption probeOpenGl = [] {
        QCommandLineOption option(QString::fromLatin1(openGlProbeArgument + 2),
                                  u"print what renders OpenGL here"_s);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        return option;
    }();
};

void describe(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(
        u"Orvanto Live TV: a viewer for live internet TV and radio streams."_s);
    parser.addOption(options.playlist);
    parser.addOption(options.videoOutput);
    parser.addOption(options.help);
    parser.addOption(options.version);
    for (const QCommandLineOption* option :
         {&options.check, &options.jobs, &options.timeout, &options.json, &options.writeM3u,
          &options.dropDead, &options.quiet, &options.record, &options.forMinutes, &options.output,
          &options.probeOpenGl}) {
        parser.addOption(*option);
    }
    parser.addPositionalArgument(u"PATH_OR_URL"_s,
                                 u"the same as --playlist PATH_OR_URL; with --check, the list "
                                 u"(LIST) to check"_s,
                                 u"[PATH_OR_URL]"_s);
}

CommandLine usageError(const QString& problem, const QString& help) {
    CommandLine result;
    result.run = false;
    result.exitCode = UsageError;
    result.standardError = Program + u": "_s + problem + u"\n"_s + help;
    return result;
}

CommandLine exitWith(const QString& text) {
    CommandLine result;
    result.run = false;
    result.standardOutput = text;
    return result;
}

// The parser's help text names the program by the path it was started with, when there is a
// QCoreApplication; the usage line names the program itself.
QString helpText(const QCommandLineParser& parser) {
    QString help = parser.helpText();
    const QString usage = u"Usage: "_s;
    const qsizetype end = help.indexOf(u" [options]"_s);
    if (help.startsWith(usage) && end > usage.size()) {
        help.replace(usage.size(), end - usage.size(), Program);
    }
    return help;
}

// Our own words for what the parser refused: the option as it was written.
QString parseProblem(const QCommandLineParser& parser, const QStringList& arguments) {
    const QStringList unknown = parser.unknownOptionNames();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--"_s) {
            break;
        }
        QString name = argument;
        while (name.startsWith(u'-')) {
            name.remove(0, 1);
        }
        name = name.section(u'=', 0, 0);
        if (argument.startsWith(u'-') && unknown.contains(name)) {
            return u"unknown option '%1'"_s.arg(argument.section(u'=', 0, 0));
        }
    }
    // A switch given a value: Qt names it in quotes ("Unexpected value after '--version'.").
    const QString error = parser.errorText();
    if (error.startsWith(u"Unexpected value"_s)) {
        return u"%1 takes no value"_s.arg(error.section(u'\'', 1, 1));
    }
    // The only other refusal: an option that takes a value came last, without one.
    const QString last = arguments.constLast();
    if (last == u"--jobs"_s || last == u"--timeout"_s) {
        return u"%1 needs a number"_s.arg(last);
    }
    if (last == u"--for"_s) {
        return u"--for needs a number of minutes"_s;
    }
    if (last == u"--json"_s || last == u"--write-m3u"_s || last == u"--output"_s) {
        return u"%1 needs a file"_s.arg(last);
    }
    if (last == u"--video-output"_s) {
        return u"--video-output is auto, opengl or cpu"_s;
    }
    return u"%1 %2"_s.arg(last, NeedsValue);
}

// A whole number from `low` to `high`, or -1.
int numberIn(const QString& text, int low, int high) {
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= low && n <= high ? n : -1;
}

// The check's options into `check`; returns what is wrong with them, or nothing. The last of an
// option given twice counts.
QString readCheck(const QCommandLineParser& parser, const Options& options, CheckOptions& check) {
    check.wanted = true;
    if (parser.isSet(options.jobs)) {
        check.jobs = numberIn(parser.value(options.jobs), 1, CheckOptions::MaxJobs);
        if (check.jobs < 0) {
            return u"--jobs needs a number from 1 to %1"_s.arg(CheckOptions::MaxJobs);
        }
    }
    if (parser.isSet(options.timeout)) {
        check.timeoutSeconds = numberIn(parser.value(options.timeout), 1, MaxTimeoutSeconds);
        if (check.timeoutSeconds < 0) {
            return u"--timeout needs a number of seconds from 1 to %1"_s.arg(MaxTimeoutSeconds);
        }
    }
    if (parser.isSet(options.json)) {
        check.jsonFile = parser.value(options.json);
        if (check.jsonFile.isEmpty()) {
            return u"--json needs a file"_s;
        }
    }
    if (parser.isSet(options.writeM3u)) {
        check.m3uFile = parser.value(options.writeM3u);
        if (check.m3uFile.isEmpty()) {
            return u"--write-m3u needs a file"_s;
        }
    }
    check.dropDead = parser.isSet(options.dropDead);
    check.quiet = parser.isSet(options.quiet);
    return {};
}

// --record LIST CHANNEL --for MINUTES [--output FILE], alone.
CommandLine readRecord(const QCommandLineParser& parser, const Options& options,
                       const QString& help) {
    for (const QCommandLineOption* option :
         {&options.check, &options.playlist, &options.jobs, &options.timeout, &options.json,
          &options.writeM3u, &options.dropDead, &options.quiet}) {
        if (parser.isSet(*option)) {
            return usageError(u"--record goes with --for and --output only"_s, help);
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2 || positional[0].isEmpty() || positional[1].trimmed().isEmpty()) {
        return usageError(u"--record needs the list and the channel: --record LIST CHANNEL"_s,
                          help);
    }
    bool ok = false;
    const double minutes = parser.value(options.forMinutes).toDouble(&ok);
    if (!parser.isSet(options.forMinutes) || !ok || !(minutes > 0) ||
        minutes > RecordOptions::MaxMinutes) {
        return usageError(u"--record needs --for MINUTES, more than 0 and at most %1"_s.arg(
                              RecordOptions::MaxMinutes),
                          help);
    }
    if (parser.isSet(options.output) && parser.value(options.output).isEmpty()) {
        return usageError(u"--output needs a file"_s, help);
    }
    CommandLine result;
    result.record = {.wanted = true,
                     .list = positional[0],
                     .channel = positional[1],
                     .minutes = minutes,
                     .output = parser.value(options.output)};
    return result;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);

    QStringList named = arguments;
    if (named.isEmpty()) {
        named << Program;
    }
    const bool parsed = parser.parse(named);
    const QString help = helpText(parser);
    if (!parsed) {
        return usageError(parseProblem(parser, named), help);
    }
    if (parser.isSet(options.help)) {
        return exitWith(help);
    }
    if (parser.isSet(options.version)) {
        return exitWith(Program + u" "_s + QString::fromLatin1(Version) + u"\n"_s);
    }

    if (parser.isSet(options.probeOpenGl)) {
        CommandLine result;
        result.probeOpenGl = true;
        return result;
    }
    if (parser.isSet(options.record)) {
        return readRecord(parser, options, help);
    }
    if (parser.isSet(options.forMinutes) || parser.isSet(options.output)) {
        return usageError(u"--for and --output go with --record"_s, help);
    }
    QStringList playlists = parser.values(options.playlist);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        return usageError(u"unexpected argument '%1'"_s.arg(positional.at(1)), help);
    }
    if (parser.isSet(options.check)) {
        if (!playlists.isEmpty()) {
            return usageError(u"--check takes the list itself, not --playlist"_s, help);
        }
        CommandLine result;
        QString problem = readCheck(parser, options, result.check);
        if (!problem.isEmpty()) {
            return usageError(problem, help);
        }
        result.check.list = positional.value(0);
        return result;
    }
    for (const QCommandLineOption* option :
         {&options.jobs, &options.timeout, &options.json, &options.writeM3u, &options.dropDead,
          &options.quiet}) {
        if (parser.isSet(*option)) {
            return usageError(u"--jobs, --timeout, --json, --write-m3u, --drop-dead and --quiet "
                              u"go with --check"_s,
                              help);
        }
    }
    playlists += positional;
    if (playlists.size() > 1) {
        return usageError(u"--playlist given more than once"_s, help);
    }
    CommandLine result;
    if (parser.isSet(options.videoOutput)) {
        const QString output = parser.value(options.videoOutput);
        if (output == u"opengl"_s) {
            result.videoDrawing = VideoDrawing::OpenGl;
        } else if (output == u"cpu"_s) {
            result.videoDrawing = VideoDrawing::Cpu;
        } else if (output != u"auto"_s) {
            return usageError(u"--video-output is auto, opengl or cpu"_s, help);
        }
    }
    if (!playlists.isEmpty()) {
        if (playlists.first().isEmpty()) {
            return usageError(u"--playlist "_s + NeedsValue, help);
        }
        result.playlist = playlists.first();
    }
    return result;
}

} // namespace orvanto
