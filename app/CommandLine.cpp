#include "app/CommandLine.h"

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr int UsageError = 2;

const QString Program = u"orvanto-tv"_s;

QString helpText() {
    return u"Usage: orvanto-tv [--playlist PATH_OR_URL]\n"
           u"Orvanto Live TV: a viewer for live internet TV and radio streams.\n"
           u"\n"
           u"Options:\n"
           u"  -p, --playlist PATH_OR_URL  show the stations of an M3U or M3U8 playlist (a file\n"
           u"                              or an http(s) address) instead of the built-in ones\n"
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

    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString problem;
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
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            problem = u"unknown option '%1'"_s.arg(argument);
        } else {
            problem = u"unexpected argument '%1'"_s.arg(argument);
        }
        if (!problem.isEmpty()) {
            return usageError(problem);
        }
    }
    return result;
}

} // namespace orvanto
