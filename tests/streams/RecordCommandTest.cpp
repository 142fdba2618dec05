// `orvanto-tv --record` against real servers: a channel whose first address is dead is recorded
// from the one that plays, for the minutes asked; what cannot be recorded says why.
#include "support/LabServers.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;

namespace {

using namespace Qt::Literals::StringLiterals;

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

Finished record(const QStringList& arguments, int timeoutMs = 120000) {
    QProcess process;
    process.start(QStringLiteral(ORVANTO_BINARY), QStringList{u"--record"_s} + arguments);
    Finished run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QString writeList(const QTemporaryDir& dir, const QByteArray& text) {
    QFile list(dir.filePath(u"lab.m3u"_s));
    EXPECT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(text);
    return list.fileName();
}

double decodedSeconds(const QString& path) {
    QProcess ffprobe;
    ffprobe.start(u"ffprobe"_s, {u"-v"_s, u"error"_s, u"-show_entries"_s, u"format=duration"_s,
                                 u"-of"_s, u"csv=p=0"_s, path});
    ffprobe.waitForFinished(30000);
    return QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed().toDouble();
}

TEST(RecordCommand, RecordsTheChannelFromItsFirstAddressThatPlaysForTheMinutesAsked) {
    LabServers lab;
    ASSERT_TRUE(lab.startIcecast()) << lab.error().toStdString();
    QTemporaryDir dir;
    const QString list = writeList(dir, "#EXTM3U\n#EXTINF:-1,Radio One\nhttp://127.0.0.1:" +
                                            QByteArray::number(LabServers::freePort()) +
                                            "/gone.mp3\n#EXTINF:-1,Radio One\n" +
                                            lab.icecast(u"/radio.mp3"_s).toEncoded() + "\n");
    const QString output = dir.filePath(u"radio.mp3"_s);
    // A quarter of a minute; the channel's name in another case.
    const Finished run =
        record({list, u"radio one"_s, u"--for"_s, u"0.25"_s, u"--output"_s, output});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), output);
    EXPECT_NEAR(decodedSeconds(output), 15.0, 1.5);
}

TEST(RecordCommand, WhatCannotBeRecordedEndsWithTheReason) {
    QTemporaryDir dir;
    const QByteArray dead = "http://127.0.0.1:" + QByteArray::number(LabServers::freePort());
    const QString list = writeList(dir, "#EXTM3U\n#EXTINF:-1,Gone\n" + dead + "/a.mp3\n");
    const Finished missing = record({list, u"Nowhere"_s, u"--for"_s, u"1"_s});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains(u"no channel named \"Nowhere\""_s))
        << missing.err.toStdString();
    const Finished gone =
        record({list, u"Gone"_s, u"--for"_s, u"1"_s, u"--output"_s, dir.filePath(u"gone.mp3"_s)});
    EXPECT_EQ(gone.status, 1);
    EXPECT_FALSE(gone.err.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(u"gone.mp3"_s)));
    const Finished usage = record({list, u"Gone"_s});
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(usage.err.contains(u"--for"_s));
}

} // namespace
