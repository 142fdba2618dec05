// `orvanto-tv --check` against the same real servers as the window's tests: every kind the
// window keeps playing is said to play.
#include "LabStreams.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace orvanto::test;

namespace {

using namespace Qt::Literals::StringLiterals;

TEST(CheckStreams, EveryKindTheWindowKeepsPlays) {
    LabStreams streams;
    ASSERT_TRUE(streams.start()) << streams.error();
    auto kinds = streams.kinds();
    kinds.append({u"HLS that ends"_s, streams.lab.hls(u"/vod/vod.m3u8"_s)});
    QTemporaryDir dir;
    QByteArray text = "#EXTM3U\n";
    for (const auto& [name, address] : kinds) {
        text += "#EXTINF:-1," + name.toUtf8() + "\n" + address.toEncoded() + "\n";
    }
    QFile list(dir.filePath(u"lab.m3u"_s));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(text);
    list.close();

    QProcess check;
    check.start(QStringLiteral(ORVANTO_BINARY),
                {u"--check"_s, list.fileName(), u"--quiet"_s, u"--jobs"_s, u"16"_s, u"--timeout"_s,
                 u"30"_s, u"--json"_s, dir.filePath(u"r.json"_s)});
    ASSERT_TRUE(check.waitForFinished(120000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                   << check.readAllStandardError().toStdString();
    QFile json(dir.filePath(u"r.json"_s));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonArray stations = QJsonDocument::fromJson(json.readAll())[u"stations"_s].toArray();
    ASSERT_EQ(stations.size(), kinds.size());
    for (const QJsonValue& station : stations) {
        const QJsonObject address = station[u"addresses"_s][0].toObject();
        EXPECT_EQ(address[u"verdict"_s].toString().toStdString(), "plays")
            << station[u"name"_s].toString().toStdString() << ": "
            << address[u"text"_s].toString().toStdString();
    }
}

} // namespace
