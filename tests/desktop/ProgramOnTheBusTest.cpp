// The program itself on the session bus: started with a list of a video and a radio, driven
// with playerctl, the screensaver held off for the video alone and let go when it quits.

#include "BusTools.h"
#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class ProgramOnTheBus : public ::testing::Test {
protected:
    ~ProgramOnTheBus() override {
        program.kill();
        program.waitForFinished(5000);
    }

    TestHttpServer server;
    QTemporaryDir dir;
    QProcess program;
};

TEST_F(ProgramOnTheBus, PlayerctlDrivesItAndTheScreensaverIsHeldForTheVideoAlone) {
    server.route(s("/video"), TestHttpServer::video());
    server.route(s("/audio"), TestHttpServer::wav());
    server.start();
    QFile list(dir.filePath(s("channels.m3u")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("#EXTM3U\n#EXTINF:-1,Film\n" + server.url(s("/video")).toEncoded() +
               "\n#EXTINF:-1,Radio\n" + server.url(s("/audio")).toEncoded() + "\n");
    list.close();
    ScreenSaverStandIn standIn;
    ASSERT_TRUE(standIn.isReady());

    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(s(ORVANTO_APP), {s("--playlist"), list.fileName()});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(waitFor([] { return playerctl({s("status")}) == s("Stopped"); }, 20000));

    playerctl({s("play")});
    EXPECT_EQ(playerctl({s("metadata"), s("title")}), s("Film"));
    ASSERT_TRUE(standIn.waitForCall(s("Inhibit orvanto-tv|Playing video 1"), 0, 30000))
        << standIn.calls().join(u'\n').toStdString();

    playerctl({s("next")}); // the radio: the picture ends, sound holds nothing off
    EXPECT_TRUE(waitFor([] { return playerctl({s("metadata"), s("title")}) == s("Radio"); }, 5000));
    ASSERT_TRUE(standIn.waitForCall(s("UnInhibit 1"), 1));
    QTest::qWait(3000);
    EXPECT_EQ(standIn.calls().size(), 2) << standIn.calls().join(u'\n').toStdString();

    playerctl({s("volume"), s("0.25")});
    EXPECT_EQ(playerctl({s("volume")}), s("0.250000"));

    playerctl({s("previous")});
    ASSERT_TRUE(standIn.waitForCall(s("Inhibit orvanto-tv|Playing video 2"), 2, 30000));
    // Quitting while the picture shows lets the screensaver go.
    runServing(s("dbus-send"), {s("--session"), s("--type=method_call"),
                                s("--dest=org.mpris.MediaPlayer2.orvanto_tv"),
                                s("/org/mpris/MediaPlayer2"), s("org.mpris.MediaPlayer2.Quit")});
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(standIn.waitForCall(s("UnInhibit 2"), 3))
        << standIn.calls().join(u'\n').toStdString();
}

} // namespace
} // namespace orvanto::test
