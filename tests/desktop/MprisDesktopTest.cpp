// The viewer as an MPRIS player on the session bus, driven with playerctl as media keys and the
// shells' controls drive it; a radio's ICY title in the window, the browser and the metadata.

#include "CitizenDesktop.h"
#include "app/ListOpener.h"
#include "support/IcyServer.h"
#include "support/WaitFor.h"
#include "window/ChannelBrowser.h"
#include "window/ChannelListModel.h"
#include "window/PlayerArea.h"

#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolTip>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// A property of the player's object, as dbus-send prints it ("variant string "…"").
QString property(const char* interface, const char* name) {
    return runServing(
        s("dbus-send"),
        {s("--session"), s("--print-reply"), s("--dest=org.mpris.MediaPlayer2.orvanto_tv"),
         s("/org/mpris/MediaPlayer2"), s("org.freedesktop.DBus.Properties.Get"),
         s("string:") + QString::fromLatin1(interface), s("string:") + QString::fromLatin1(name)});
}

using MprisDesktop = CitizenDesktop;

TEST_F(MprisDesktop, PlayerctlFindsItAndDrivesIt) {
    startServices();
    EXPECT_TRUE(
        runServing(s("playerctl"), {s("--list-all")}).split(u'\n').contains(s("orvanto_tv")));
    EXPECT_TRUE(property("org.mpris.MediaPlayer2", "Identity").endsWith(s("\"Orvanto Live TV\"")));
    EXPECT_TRUE(property("org.mpris.MediaPlayer2", "DesktopEntry").endsWith(s("\"orvanto-tv\"")));
    EXPECT_EQ(playerctl({s("status")}), s("Stopped"));

    // The shell follows the player's changes, which it learns from PropertiesChanged.
    QProcess follow;
    follow.start(s("playerctl"), {s("--player=orvanto_tv"), s("--follow"), s("status")});
    ASSERT_TRUE(follow.waitForStarted(5000));
    QTest::qWait(500);

    playerctl({s("play")}); // nothing played yet: the pages' first channel
    EXPECT_EQ(failover.channel(), s("Video"));
    EXPECT_EQ(playerctl({s("status")}), s("Playing"));
    EXPECT_EQ(playerctl({s("metadata"), s("title")}), s("Video"));
    playerctl({s("next")});
    EXPECT_EQ(playerctl({s("metadata"), s("title")}), s("Video 2"));
    playerctl({s("previous")});
    EXPECT_EQ(failover.channel(), s("Video"));

    playerctl({s("volume"), s("0.3")});
    QSlider* slider = form->playerArea().volumeSlider();
    EXPECT_TRUE(waitFor([slider] { return slider->value() == 30; }, 5000)) << slider->value();
    EXPECT_EQ(playerctl({s("volume")}), s("0.300000"));
    slider->setValue(70);
    EXPECT_EQ(playerctl({s("volume")}), s("0.700000"));

    playerctl({s("stop")});
    EXPECT_EQ(playerctl({s("status")}), s("Stopped"));
    playerctl({s("play-pause")});
    EXPECT_EQ(playerctl({s("status")}), s("Playing"));
    playerctl({s("pause")}); // a live stream cannot wait: it stops
    EXPECT_EQ(playerctl({s("status")}), s("Stopped"));

    EXPECT_TRUE(waitFor(
        [&follow] {
            const QString out = QString::fromUtf8(follow.peek(1 << 16));
            return out.contains(s("Playing\nStopped\nPlaying\nStopped"));
        },
        5000))
        << follow.peek(1 << 16).toStdString();
    follow.kill();
    follow.waitForFinished(3000);
}

TEST_F(MprisDesktop, ARadiosTitleShowsInTheWindowTheBrowserAndTheMetadata) {
    startServices();
    IcyServer radio(s("First Song"));
    radio.start();
    QTemporaryDir dir;
    QFile list(dir.filePath(s("radio.m3u")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("#EXTM3U\n#EXTINF:-1 tvg-logo=\"http://logos.example/radio.png\",Radio\n" +
               radio.url().toEncoded() + "\n");
    list.close();
    viewer.lists().open(list.fileName());
    ASSERT_TRUE(waitFor([this] { return catalogue.FindStation(s("Radio")) != Catalogue::NotFound; },
                        10000));
    form->openChannelBrowser();
    ChannelBrowser* browser = form->channelBrowser();

    QProcess follow;
    follow.start(s("playerctl"),
                 {s("--player=orvanto_tv"), s("--follow"), s("metadata"), s("title")});
    ASSERT_TRUE(follow.waitForStarted(5000));
    failover.SelectStation(s("Radio"), 0);
    ASSERT_TRUE(waitFor([this] { return player.nowPlaying() == s("First Song"); }, 20000));

    EXPECT_EQ(playerctl({s("metadata"), s("title")}), s("First Song"));
    EXPECT_EQ(playerctl({s("metadata"), s("artist")}), s("Radio"));
    EXPECT_EQ(playerctl({s("metadata"), s("mpris:artUrl")}), s("http://logos.example/radio.png"));
    const QModelIndex row = browser->model().index(0, ChannelListModel::NameColumn);
    EXPECT_EQ(row.data().toString(), s("Radio \u2014 First Song"));
    browser->hide();
    x11::run(s("xdotool"), {s("windowfocus"), s("--sync"), QString::number(form->winId())});
    ASSERT_TRUE(waitFor([this] { return form->isActiveWindow(); }, 5000)); // tips show there
    EXPECT_TRUE(showsTooltip("Label29", s("First Song")));
    // Over the picture too.
    QWidget* video = form->playerArea().videoSurface();
    const QPoint middle = video->mapToGlobal(video->rect().center());
    x11::moveTo(middle + QPoint(1, 0));
    x11::moveTo(middle);
    EXPECT_TRUE(
        waitFor([] { return QToolTip::isVisible() && QToolTip::text() == s("First Song"); }, 4000));
    QToolTip::hideText();

    radio.setTitle(s("Second Song"));
    ASSERT_TRUE(waitFor([this] { return player.nowPlaying() == s("Second Song"); }, 20000));
    EXPECT_EQ(control("Label29")->toolTip(), s("Second Song"));
    EXPECT_EQ(row.data().toString(), s("Radio \u2014 Second Song"));
    EXPECT_TRUE(waitFor(
        [&follow] {
            const QString out = QString::fromUtf8(follow.peek(1 << 16));
            return out.contains(s("First Song\n")) && out.contains(s("Second Song\n"));
        },
        5000))
        << follow.peek(1 << 16).toStdString();
    follow.kill();
    follow.waitForFinished(3000);
}

} // namespace
} // namespace orvanto::test
