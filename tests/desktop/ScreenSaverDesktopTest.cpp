// The screensaver is held off through the desktop's services while a picture shows, never for
// sound alone, and let go when the picture ends, on stop and at the end.

#include "CitizenDesktop.h"
#include "playback/PlayState.h"
#include "support/WaitFor.h"

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

using ScreenSaverDesktop = CitizenDesktop;

TEST_F(ScreenSaverDesktop, HeldWhileAPictureShowsAndLetGoOnStopAndAtTheEnd) {
    startServices();
    server.route(s("/audio"), TestHttpServer::wav());
    ASSERT_TRUE(playVideo());
    ASSERT_TRUE(standIn->waitForCall(s("Inhibit orvanto-tv|Playing video 1")))
        << standIn->calls().join(u'\n').toStdString();
    EXPECT_TRUE(waitFor([this] { return desktop->screenSaver().isHeld(); }, 5000));

    player.stop();
    ASSERT_TRUE(standIn->waitForCall(s("UnInhibit 1"), 1));

    // Sound alone holds nothing off.
    player.setURL(server.url(s("/audio")).toString());
    ASSERT_TRUE(waitFor([this] { return player.playState() == PlayState::Playing; }, 15000));
    QTest::qWait(2000);
    EXPECT_EQ(standIn->calls().size(), 2) << standIn->calls().join(u'\n').toStdString();

    // The picture again; the viewer ends while it shows.
    ASSERT_TRUE(playVideo());
    ASSERT_TRUE(standIn->waitForCall(s("Inhibit orvanto-tv|Playing video 2"), 2));
    ASSERT_TRUE(waitFor([this] { return desktop->screenSaver().isHeld(); }, 5000));
    desktop.reset();
    EXPECT_TRUE(standIn->waitForCall(s("UnInhibit 2"), 3))
        << standIn->calls().join(u'\n').toStdString();
}

TEST_F(ScreenSaverDesktop, ThroughTheDesktopPortalWhereThereIsOne) {
    startServices(true);
    ASSERT_TRUE(playVideo());
    ASSERT_TRUE(standIn->waitForCall(s("PortalInhibit 8|Playing video ")))
        << standIn->calls().join(u'\n').toStdString();
    ASSERT_TRUE(standIn->waitForCall(s("Inhibit orvanto-tv|")));
    QString handle;
    for (const QString& call : standIn->calls()) {
        if (call.startsWith(s("PortalInhibit"))) {
            handle = call.section(u' ', -1);
        }
    }
    player.stop();
    EXPECT_TRUE(standIn->waitForCall(s("Close ") + handle))
        << standIn->calls().join(u'\n').toStdString();
    EXPECT_TRUE(standIn->waitForCall(s("UnInhibit 1")));
}

} // namespace
} // namespace orvanto::test
