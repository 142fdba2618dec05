#include "app/CommandLine.h"

#include "orvanto/Version.h"

#include <QCommandLineParser>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr int UsageError = 2;

const QString Program = u"orvanto-tv"_s;

const QString NeedsValue = u"needs a file or an address"_s;

// The options, described for the help text.
struct Options {
    QCommandLineOption playlist{{u"p"_s, u"playlist"_s},
                                u"show the stations of an M3U or M3U8 playlist (a file or an "
                                u"http(s) address) instead of the built-in ones"_s,
                                u"PATH_OR_URL"_s};
    QCommandLineOption help{{u"h"_s, u"help"_s}, u"show this help and exit"_s};
    QCommandLineOption version{u"version"_s, u"show the version and exit"_s};
};

void describe(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(
        u"Orvanto Live TV: a viewer for live internet TV and radio streams."_s);
    parser.addOption(options.playlist);
    parser.addOption(options.help);
    parser.addOption(options.version);
    parser.addPositionalArgument(u"PATH_OR_URL"_s, u"the same as --playlist PATH_OR_URL"_s,
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
    return u"%1 %2"_s.arg(arguments.constLast(), NeedsValue);
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

    QStringList playlists = parser.values(options.playlist);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        return usageError(u"unexpected argument '%1'"_s.arg(positional.at(1)), help);
    }
    playlists += positional;
    if (playlists.size() > 1) {
        return usageError(u"--playlist given more than once"_s, help);
    }
    CommandLine result;
    if (!playlists.isEmpty()) {
        if (playlists.first().isEmpty()) {
            return usageError(u"--playlist "_s + NeedsValue, help);
        }
        result.playlist = playlists.first();
    }
    return result;
}

} // namespace orvanto
