#include "catalogue/CommandLine.h"

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr int UsageError = 2;

const QString Program = u"orvanto-tv"_s;

QString helpText() {
    return u"Usage: orvanto-tv [--playlist PATH_OR_URL]\n"
           u"       orvanto-tv --check [LIST] [--jobs N] [--timeout S] [--json FILE]\n"
           u"                  [--write-m3u FILE] [--drop-dead] [--quiet]\n"
           u"Orvanto Live TV: a viewer for live internet TV and radio streams.\n"
           u"\n"
           u"Options:\n"
           u"  -p, --playlist PATH_OR_URL  show the stations of an M3U or M3U8 playlist (a file\n"
           u"                              or an http(s) address) instead of the built-in ones\n"
           u"      --check [LIST]          check which addresses of LIST (a file or an http(s)\n"
           u"                              address; without it the built-in stations) play,\n"
           u"                              without a window, and print the result\n"
           u"      --jobs N                addresses checked at once (1 to 64, default 8)\n"
           u"      --timeout S             seconds allowed per address (default 15)\n"
           u"      --json FILE             write the result as JSON\n"
           u"      --write-m3u FILE        write the list back, working addresses first\n"
           u"      --drop-dead             leave addresses that do not play out of it\n"
           u"      --quiet                 no progress on standard error\n"
           u"  -h, --help                  show this help and exit\n"
           u"      --version               show the version and exit\n"_s;
}

CommandLine usageError(const QString& problem) {
    CommandLine result;
    result.run = false;
    result.exitCode = UsageError;
    result.standardError = Program + u": "_s + problem + u"\n"_s + helpText();
    return result;
}

CommandLine exitWith(const QString& text) {
    CommandLine result;
    result.run = false;
    result.standardOutput = text;
    return result;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine result;
    bool playlistGiven = false;
    auto setPlaylist = [&](const QString& value) -> QString {
        if (playlistGiven) {
            return u"--playlist given more than once"_s;
        }
        if (value.isEmpty()) {
            return u"--playlist needs a file or an address"_s;
        }
        playlistGiven = true;
        result.playlist = value;
        return {};
    };

    CheckOptions& check = result.check;
    bool checkOption = false; // an option that only a check takes was given
    // --name VALUE or --name=VALUE: returns true when `argument` is that option, with its value
    // in `value` (empty when missing).
    auto valueOf = [&](qsizetype& i, const QString& name, QString& value) {
        const QString& argument = arguments[i];
        if (argument == name) {
            value = i + 1 < arguments.size() ? arguments[++i] : QString();
            return true;
        }
        if (argument.startsWith(name + u'=')) {
            value = argument.sliced(name.size() + 1);
            return true;
        }
        return false;
    };
    auto number = [](const QString& value, int low, int high) {
        bool ok = false;
        const int n = value.toInt(&ok);
        return ok && n >= low && n <= high ? n : -1;
    };

    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString problem;
        QString value;
        if (argument == u"-h"_s || argument == u"--help"_s) {
            return exitWith(helpText());
        } else if (argument == u"--version"_s) {
            return exitWith(Program + u" " ORVANTO_VERSION "\n"_s);
        } else if (argument == u"-p"_s || argument == u"--playlist"_s) {
            if (i + 1 >= arguments.size()) {
                return usageError(u"%1 needs a file or an address"_s.arg(argument));
            }
            problem = setPlaylist(arguments[++i]);
        } else if (argument.startsWith(u"--playlist="_s)) {
            problem = setPlaylist(argument.sliced(qsizetype(sizeof("--playlist=") - 1)));
        } else if (argument == u"--check"_s) {
            check.wanted = true;
            if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-')) {
                check.list = arguments[++i];
            }
        } else if (valueOf(i, u"--jobs"_s, value)) {
            checkOption = true;
            check.jobs = number(value, 1, CheckOptions::MaxJobs);
            if (check.jobs < 0) {
                problem = u"--jobs needs a number from 1 to %1"_s.arg(CheckOptions::MaxJobs);
            }
        } else if (valueOf(i, u"--timeout"_s, value)) {
            checkOption = true;
            check.timeoutSeconds = number(value, 1, 3600);
            if (check.timeoutSeconds < 0) {
                problem = u"--timeout needs a number of seconds from 1 to 3600"_s;
            }
        } else if (valueOf(i, u"--json"_s, value) || valueOf(i, u"--write-m3u"_s, value)) {
            checkOption = true;
            const bool json = argument.startsWith(u"--json"_s);
            (json ? check.jsonFile : check.m3uFile) = value;
            if (value.isEmpty()) {
                problem = u"%1 needs a file"_s.arg(json ? u"--json"_s : u"--write-m3u"_s);
            }
        } else if (argument == u"--drop-dead"_s || argument == u"--quiet"_s) {
            checkOption = true;
            (argument == u"--quiet"_s ? check.quiet : check.dropDead) = true;
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            problem = u"unknown option '%1'"_s.arg(argument);
        } else if (check.wanted && check.list.isEmpty()) {
            check.list = argument;
        } else {
            problem = u"unexpected argument '%1'"_s.arg(argument);
        }
        if (!problem.isEmpty()) {
            return usageError(problem);
        }
    }
    if (checkOption && !check.wanted) {
        return usageError(u"--jobs, --timeout, --json, --write-m3u, --drop-dead and --quiet "
                          u"go with --check"_s);
    }
    if (check.wanted && playlistGiven) {
        return usageError(u"--check takes the list itself, not --playlist"_s);
    }
    return result;
}

} // namespace orvanto
