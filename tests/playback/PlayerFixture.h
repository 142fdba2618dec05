#pragma once

#include "net/StreamSniffer.h"
#include "playback/PlayState.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace orvanto::test {

// Loopback servers and addresses shared by the tests of the real player.
class PlayerFixture : public ::testing::Test {
protected:
    // Generous bounds: CI is a loaded two-core machine, and the tests also run under ASan.
    static constexpr int OpenMs = 20000;
    static constexpr int LostMs = 45000;

    void SetUp() override {
        using S = TestHttpServer;
        server.start();
        const QByteArray live = server.url(QStringLiteral("/live")).toEncoded();
        const QByteArray dead = S::refusedUrl(QStringLiteral("/gone")).toEncoded();
        server.route(QStringLiteral("/live"), S::wav());
        server.route(QStringLiteral("/video"), S::video());
        server.route(QStringLiteral("/silent"), S::silent());
        server.route(QStringLiteral("/trickle"), S::trickle());
        // Live streams that stop after a few seconds and are away for a minute: the one keeps
        // its connection and sends no more, the other closes it.
        server.route(QStringLiteral("/stall"), away(S::wav(2500, false), 60000));
        server.route(QStringLiteral("/short"), away(S::wav(2000, true), 60000));
        // A stream with an end: a two-second WAV file.
        server.route(QStringLiteral("/clip"), S::body("audio/wav", S::wavClip(2000)));
        server.route(QStringLiteral("/html"),
                     S::body("text/html", "<!DOCTYPE html>\n<html><body><h1>Sorry</h1> This "
                                          "station is off the air.</body></html>"));
        server.route(QStringLiteral("/garbage"), S::body("audio/mpeg", garbage()));
        server.route(QStringLiteral("/empty"), S::body("audio/mpeg", ""));
        server.route(QStringLiteral("/list.asx"),
                     S::body("video/x-ms-asf", "<asx version=\"3.0\"><entry><ref href=\"" + live +
                                                   "\"/></entry></asx>"));
        // A script that sends its ASX as a web page, upper case and all.
        server.route(QStringLiteral("/radio.php"),
                     S::body("text/html", "\r\n<ASX VERSION=\"3.0\">\r\n<TITLE>Radio</TITLE>"
                                          "<ENTRY><REF HREF=\"" +
                                              live + "\" /></ENTRY></ASX>\r\n"));
        server.route(QStringLiteral("/dead-first.asx"),
                     S::body("video/x-ms-asf", "<asx><entry><ref href=\"" + dead +
                                                   "\"/></entry><entry><ref href=\"" + live +
                                                   "\"/></entry></asx>"));
        server.route(QStringLiteral("/list.pls"),
                     S::body("audio/x-scpls", "[playlist]\nNumberOfEntries=1\nFile1=live\n"));
        server.route(QStringLiteral("/takeover.asx"),
                     S::body("video/x-ms-asf",
                             "<asx><entry><ref href=\"short\"/></entry><entry><ref href=\"" + live +
                                 "\"/></entry></asx>"));
        server.route(QStringLiteral("/self.asx"),
                     S::body("video/x-ms-asf", "<asx><entry><ref href=\"self.asx\"/></entry>"
                                               "<entry><ref href=\"" +
                                                   dead + "\"/></entry></asx>"));
    }

    static TestHttpServer::Route away(TestHttpServer::Route route, int ms) {
        route.awayMs = ms;
        return route;
    }

    static QByteArray garbage() {
        QByteArray bytes(20000, '\0');
        quint32 x = 12345;
        for (char& c : bytes) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 24);
        }
        return bytes;
    }

    QString url(const char* path) const { return server.url(QString::fromLatin1(path)).toString(); }

    // The real engine with libVLC's dummy outputs, and the real sniffer.
    static void attachEngine(VlcPlayer& player) {
        player.attach(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
                      std::make_unique<StreamSniffer>());
    }

    // Runs ffmpeg in `dir` with `arguments`; true when it made its files.
    static bool ffmpeg(const QString& dir, const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(dir);
        process.start(QStringLiteral("ffmpeg"),
                      QStringList{QStringLiteral("-loglevel"), QStringLiteral("error"),
                                  QStringLiteral("-y")} +
                          arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            ADD_FAILURE() << process.readAllStandardError().toStdString();
            return false;
        }
        return true;
    }
    // Serves every file of `dir` under `prefix`.
    void serve(const QString& dir, const QString& prefix) {
        for (const QString& name : QDir(dir).entryList(QDir::Files)) {
            QFile file(dir + u'/' + name);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            server.route(prefix + name,
                         TestHttpServer::body("application/octet-stream", file.readAll()));
        }
    }

    static bool contains(const std::vector<int>& states, int state) {
        return std::find(states.begin(), states.end(), state) != states.end();
    }

    TestHttpServer server;
};

} // namespace orvanto::test
