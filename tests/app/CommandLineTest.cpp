#include "app/CommandLine.h"

#include "orvanto/Version.h"

#include <gtest/gtest.h>

using orvanto::parseCommandLine;

namespace {

QStringList args(std::initializer_list<const char*> list) {
    QStringList result{QStringLiteral("/usr/bin/orvanto-tv")};
    for (const char* a : list) {
        result.append(QString::fromUtf8(a));
    }
    return result;
}

TEST(CommandLine, NoArgumentsRunsWithBuiltInStations) {
    const auto cl = parseCommandLine(args({}));
    EXPECT_TRUE(cl.run);
    EXPECT_TRUE(cl.playlist.isEmpty());
    EXPECT_TRUE(cl.standardOutput.isEmpty());
    EXPECT_TRUE(cl.standardError.isEmpty());
}

TEST(CommandLine, PlaylistInEveryForm) {
    for (const auto& list : {args({"--playlist", "tv.m3u"}), args({"-p", "tv.m3u"}),
                             args({"--playlist=tv.m3u"}), args({"tv.m3u"})}) {
        const auto cl = parseCommandLine(list);
        EXPECT_TRUE(cl.run);
        EXPECT_EQ(cl.playlist, QStringLiteral("tv.m3u"));
    }
    // A value that looks like an option is still the value.
    EXPECT_EQ(parseCommandLine(args({"-p", "-odd name.m3u"})).playlist,
              QStringLiteral("-odd name.m3u"));
    // After "--" even a leading dash names the playlist.
    EXPECT_EQ(parseCommandLine(args({"--", "-odd.m3u"})).playlist, QStringLiteral("-odd.m3u"));
}

TEST(CommandLine, VideoOutputNamesWhatDrawsThePictures) {
    using orvanto::VideoDrawing;
    EXPECT_EQ(parseCommandLine(args({})).videoDrawing, VideoDrawing::Automatic);
    EXPECT_EQ(parseCommandLine(args({"--video-output", "auto"})).videoDrawing,
              VideoDrawing::Automatic);
    EXPECT_EQ(parseCommandLine(args({"--video-output=opengl", "tv.m3u"})).videoDrawing,
              VideoDrawing::OpenGl);
    const auto cpu = parseCommandLine(args({"tv.m3u", "--video-output", "cpu"}));
    EXPECT_EQ(cpu.videoDrawing, VideoDrawing::Cpu);
    EXPECT_EQ(cpu.playlist, QStringLiteral("tv.m3u"));
    for (const auto& wrong : {args({"--video-output", "gl"}), args({"--video-output"})}) {
        const auto cl = parseCommandLine(wrong);
        EXPECT_FALSE(cl.run);
        EXPECT_EQ(cl.exitCode, 2);
        EXPECT_TRUE(cl.standardError.startsWith(
            QStringLiteral("orvanto-tv: --video-output is auto, opengl or cpu\n")))
            << cl.standardError.toStdString();
    }
}

TEST(CommandLine, HelpAndVersionPrintAndExitZero) {
    for (const char* option : {"--help", "-h"}) {
        const auto cl = parseCommandLine(args({"-p", "x.m3u", option}));
        EXPECT_FALSE(cl.run);
        EXPECT_EQ(cl.exitCode, 0);
        EXPECT_TRUE(cl.standardOutput.startsWith(QStringLiteral("Usage: orvanto-tv")));
        EXPECT_TRUE(cl.standardOutput.contains(QStringLiteral("--playlist")));
        EXPECT_TRUE(cl.standardError.isEmpty());
    }
    const auto version = parseCommandLine(args({"--version"}));
    EXPECT_FALSE(version.run);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.standardOutput,
              QStringLiteral("orvanto-tv ") + QString::fromLatin1(orvanto::Version) + u'\n');
}

TEST(CommandLine, UsageErrorsGoToStandardErrorWithExitTwo) {
    const struct {
        QStringList arguments;
        const char* problem;
    } cases[] = {
        {args({"--bogus"}), "unknown option '--bogus'"},
        {args({"-x", "--help"}), "unknown option '-x'"},
        {args({"--playlist"}), "--playlist needs a file or an address"},
        {args({"-p"}), "-p needs a file or an address"},
        {args({"--playlist="}), "--playlist needs a file or an address"},
        {args({"-p", "a.m3u", "-p", "b.m3u"}), "--playlist given more than once"},
        {args({"--playlist=tv.m3u", "--bogus=1"}), "unknown option '--bogus'"},
        {args({"a.m3u", "b.m3u"}), "unexpected argument 'b.m3u'"},
        {args({"-p", "a.m3u", "b.m3u"}), "--playlist given more than once"},
        {args({"a.m3u", "--version=2"}), "--version takes no value"},
    };
    for (const auto& c : cases) {
        const auto cl = parseCommandLine(c.arguments);
        EXPECT_FALSE(cl.run);
        EXPECT_EQ(cl.exitCode, 2);
        EXPECT_TRUE(cl.standardOutput.isEmpty());
        EXPECT_TRUE(cl.standardError.startsWith(QStringLiteral("orvanto-tv: ") +
                                                QString::fromUtf8(c.problem) + u'\n'))
            << cl.standardError.toStdString();
        EXPECT_TRUE(cl.standardError.contains(QStringLiteral("Usage: orvanto-tv")));
    }
}

} // namespace

namespace {

TEST(CommandLine, CheckWithAndWithoutAList) {
    const auto builtin = parseCommandLine(args({"--check"}));
    EXPECT_TRUE(builtin.run);
    EXPECT_TRUE(builtin.check.wanted);
    EXPECT_TRUE(builtin.check.list.isEmpty());
    EXPECT_EQ(builtin.check.jobs, 8);
    EXPECT_EQ(builtin.check.timeoutSeconds, 15);

    const auto full =
        parseCommandLine(args({"--check", "tv.m3u", "--jobs", "32", "--timeout=5", "--json",
                               "r.json", "--write-m3u=w.m3u", "--drop-dead", "--quiet"}));
    EXPECT_TRUE(full.run);
    EXPECT_EQ(full.check.list, QStringLiteral("tv.m3u"));
    EXPECT_EQ(full.check.jobs, 32);
    EXPECT_EQ(full.check.timeoutSeconds, 5);
    EXPECT_EQ(full.check.jsonFile, QStringLiteral("r.json"));
    EXPECT_EQ(full.check.m3uFile, QStringLiteral("w.m3u"));
    EXPECT_TRUE(full.check.dropDead);
    EXPECT_TRUE(full.check.quiet);
    // The list may also follow the options.
    EXPECT_EQ(parseCommandLine(args({"--check", "--quiet", "tv.m3u"})).check.list,
              QStringLiteral("tv.m3u"));
}

TEST(CommandLine, CheckUsageErrors) {
    for (const auto& list : {
             args({"--check", "--jobs", "0"}),
             args({"--check", "--jobs", "65"}),
             args({"--check", "--jobs", "eight"}),
             args({"--check", "--jobs"}),
             args({"--check", "--timeout", "0"}),
             args({"--check", "--json"}),
             args({"--check", "a.m3u", "b.m3u"}),
             args({"--jobs", "4"}), // without --check
             args({"--drop-dead"}),
             args({"--check", "--playlist", "a.m3u"}),
         }) {
        const auto cl = parseCommandLine(list);
        EXPECT_FALSE(cl.run) << list.join(u' ').toStdString();
        EXPECT_EQ(cl.exitCode, 2) << list.join(u' ').toStdString();
    }
}

// The check's refusals name the option and what it needs, as the viewer's own do.
TEST(CommandLine, CheckUsageErrorsSayWhatIsWrong) {
    const struct {
        QStringList arguments;
        const char* problem;
    } cases[] = {
        {args({"--check", "--jobs"}), "--jobs needs a number"},
        {args({"--check", "--jobs=65"}), "--jobs needs a number from 1 to 64"},
        {args({"--check", "--timeout", "-1"}),
         "--timeout needs a number of seconds from 1 to 3600"},
        {args({"--check", "--write-m3u"}), "--write-m3u needs a file"},
        {args({"--check", "--json="}), "--json needs a file"},
        {args({"--check=tv.m3u"}), "--check takes no value"},
        {args({"tv.m3u", "--quiet"}),
         "--jobs, --timeout, --json, --write-m3u, --drop-dead and --quiet go with --check"},
        {args({"--check", "-p", "a.m3u"}), "--check takes the list itself, not --playlist"},
    };
    for (const auto& c : cases) {
        const auto cl = parseCommandLine(c.arguments);
        EXPECT_EQ(cl.exitCode, 2);
        EXPECT_TRUE(cl.standardError.startsWith(QStringLiteral("orvanto-tv: ") +
                                                QString::fromUtf8(c.problem) + u'\n'))
            << cl.standardError.toStdString();
    }
    // The help names the check and its options.
    const QString help = parseCommandLine(args({"--help"})).standardOutput;
    for (const char* option : {"--check", "--jobs <N>", "--timeout <S>", "--json <FILE>",
                               "--write-m3u <FILE>", "--drop-dead", "--quiet"}) {
        EXPECT_TRUE(help.contains(QString::fromUtf8(option))) << option;
    }
}

TEST(CommandLine, RecordTakesTheListTheChannelAndItsMinutes) {
    const auto cl = parseCommandLine(
        args({"--record", "tv.m3u", "News 24", "--for", "1.5", "--output", "/tmp/n.ts"}));
    EXPECT_TRUE(cl.run);
    EXPECT_TRUE(cl.record.wanted);
    EXPECT_FALSE(cl.check.wanted);
    EXPECT_EQ(cl.record.list, QStringLiteral("tv.m3u"));
    EXPECT_EQ(cl.record.channel, QStringLiteral("News 24"));
    EXPECT_DOUBLE_EQ(cl.record.minutes, 1.5);
    EXPECT_EQ(cl.record.output, QStringLiteral("/tmp/n.ts"));
    EXPECT_TRUE(
        parseCommandLine(args({"--record", "tv.m3u", "N", "--for=30"})).record.output.isEmpty());

    for (const auto& wrong :
         {args({"--record", "tv.m3u", "News"}), args({"--record", "tv.m3u", "--for", "5"}),
          args({"--record", "tv.m3u", "News", "--for", "0"}),
          args({"--record", "tv.m3u", "News", "--for", "-3"}),
          args({"--record", "tv.m3u", "News", "--for", "nan"}),
          args({"--record", "tv.m3u", "News", "--for", "1441"}),
          args({"--record", "tv.m3u", "News", "--for", "5", "--check"}),
          args({"--record", "tv.m3u", "News", "--for", "5", "--output="}),
          args({"--record", "tv.m3u", "News", "x", "--for", "5"}), args({"--for", "5"}),
          args({"tv.m3u", "--output", "x.ts"}), args({"--record", "tv.m3u", "News", "--for"})}) {
        const auto refused = parseCommandLine(wrong);
        EXPECT_FALSE(refused.run) << wrong.join(u' ').toStdString();
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.standardError.contains(QStringLiteral("--")))
            << refused.standardError.toStdString();
    }
}

} // namespace
