#pragma once

// The built program's --check run as a separate process against loopback servers: the
// servers' routes, a list to check, and the run's outcome.

#include "support/TestHttpServer.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvanto::test {

using namespace Qt::Literals::StringLiterals;

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

class CheckCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        server.route(u"/live.wav"_s, TestHttpServer::wav());
        server.route(u"/other.wav"_s, TestHttpServer::wav());
        server.route(u"/video"_s, TestHttpServer::video());
        server.route(u"/silent"_s, TestHttpServer::silent());
        server.route(u"/missing"_s, TestHttpServer::body("text/plain", "gone", "404 Not Found"));
        server.route(u"/page"_s,
                     TestHttpServer::body("text/html", "<!DOCTYPE html><html><body>Welcome"
                                                       "</body></html>"));
        QByteArray noise;
        for (int i = 0; i < 8192; ++i) {
            noise += char((i * 2654435761u) >> 24);
        }
        server.route(u"/garbage"_s, TestHttpServer::body("application/octet-stream", noise));
        server.route(u"/empty"_s, TestHttpServer::body("audio/mpeg", ""));
        server.start();
        // A script that sends ASX as text/html, leading to a PLS, leading to the stream.
        server.route(u"/inner.pls"_s,
                     TestHttpServer::body("audio/x-scpls",
                                          "[playlist]\nNumberOfEntries=1\nFile1=" +
                                              server.url(u"/live.wav"_s).toEncoded() + "\n"));
        server.route(u"/outer.php"_s,
                     TestHttpServer::body("text/html", "<asx version=\"3.0\"><entry><ref href=\"" +
                                                           server.url(u"/inner.pls"_s).toEncoded() +
                                                           "\"/></entry></asx>"));
        server.route(
            u"/dead.asx"_s,
            TestHttpServer::body("video/x-ms-asf", "<asx version=\"3.0\"><entry><ref href=\"" +
                                                       TestHttpServer::refusedUrl().toEncoded() +
                                                       "\"/></entry></asx>"));
    }

    QString url(const QString& path) const { return server.url(path).toString(); }
    QString file(const QString& name) const { return dir.filePath(name); }

    QString writeList(const QList<std::pair<QString, QString>>& entries) {
        QByteArray text = "#EXTM3U\n";
        for (const auto& [name, address] : entries) {
            text +=
                "#EXTINF:-1 group-title=\"Test\"," + name.toUtf8() + "\n" + address.toUtf8() + "\n";
        }
        QFile list(file(u"list.m3u"_s));
        EXPECT_TRUE(list.open(QIODevice::WriteOnly));
        list.write(text);
        return list.fileName();
    }

    QProcess* launch(const QStringList& arguments) {
        process.setProgram(QStringLiteral(ORVANTO_BINARY));
        process.setArguments(QStringList{u"--check"_s} + arguments);
        process.start();
        EXPECT_TRUE(process.waitForStarted());
        return &process;
    }

    Outcome finish(int timeoutMs = 60000) {
        // The server runs on its own thread, so waiting here blocks nothing it needs.
        EXPECT_TRUE(process.waitForFinished(timeoutMs));
        Outcome outcome;
        outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        outcome.out = QString::fromUtf8(process.readAllStandardOutput());
        outcome.err = QString::fromUtf8(process.readAllStandardError());
        return outcome;
    }

    Outcome run(const QStringList& arguments) {
        launch(arguments);
        return finish();
    }

    QTemporaryDir dir;
    TestHttpServer server;
    QProcess process;
};

inline QJsonObject readJson(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return QJsonDocument::fromJson(f.readAll()).object();
}

// The first address of each station's report.
inline QHash<QString, QJsonObject> firstAddresses(const QJsonObject& root) {
    QHash<QString, QJsonObject> first;
    for (const QJsonValue& station : root[u"stations"_s].toArray()) {
        first.insert(station[u"name"_s].toString(), station[u"addresses"_s][0].toObject());
    }
    return first;
}

} // namespace orvanto::test
