// What the viewer keeps between runs: the list it opens at start, each list's favourites and
// guide address, and the volume, on the program's own composition.

#include "app/ViewerSession.h"

#include "app/GuideWiring.h"
#include "app/ListOpener.h"
#include "app/ViewerSettings.h"
#include "integration/ViewerFixture.h"
#include "support/WaitFor.h"
#include "window/ChannelBrowser.h"

#include <QFile>
#include <QInputDialog>
#include <QPushButton>

namespace orvanto::test {
namespace {

class ViewerSessionTest : public ViewerRig {
protected:
    QString settingsPath() const { return dir.filePath(s("orvanto-tv.conf")); }

    // A channel list of two channels in the scratch folder; returns its absolute path.
    QString writeList(const char* name) {
        const QString path = dir.filePath(s(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#EXTM3U\n#EXTINF:-1,List One\nhttp://one.example.com/live\n"
                   "#EXTINF:-1,List Two\nhttp://two.example.com/live\n");
        return path;
    }

    bool showsListStations() {
        return waitFor(
            [this] { return catalogue.FindStation(s("List One")) != Catalogue::NotFound; }, 5000);
    }

    QTemporaryDir dir;
};

TEST_F(ViewerSessionTest, WithoutAnyListTheBuiltInStationsShowAndNothingIsWritten) {
    {
        ViewerSettings settings(settingsPath());
        ViewerSession session(viewer, settings);
        session.start({});
        EXPECT_EQ(session.shownList(), ViewerSettings::BuiltinList);
        EXPECT_NE(catalogue.FindStation(s("ADULT 1")), Catalogue::NotFound);
        EXPECT_GT(viewer.form().channelCount(), 50);
        session.finish();
    }
    EXPECT_FALSE(QFile::exists(settingsPath()));
}

TEST_F(ViewerSessionTest, TheListNamedAtStartReplacesTheBuiltInStationsAndIsRememberedWhole) {
    const QString list = writeList("channels.m3u");
    {
        ViewerSettings settings(settingsPath());
        ViewerSession session(viewer, settings);
        // Named relative to the working folder, remembered by its absolute path.
        session.start(QDir::current().relativeFilePath(list));
        ASSERT_TRUE(showsListStations());
        EXPECT_EQ(viewer.form().channelCount(), 2);
        EXPECT_NE(catalogue.FindStation(s("ADULT 1")), Catalogue::NotFound); // still locked there
        EXPECT_EQ(session.shownList(), list);
        EXPECT_TRUE(messages.messages.empty());
        session.finish();
    }
    ViewerSettings again(settingsPath());
    EXPECT_EQ(again.lastList(), list);
}

TEST_F(ViewerSessionTest, WithoutAListOnTheCommandLineTheLastListOpensAgain) {
    const QString list = writeList("last.m3u");
    {
        ViewerSettings settings(settingsPath());
        settings.setLastList(list);
        ASSERT_TRUE(settings.save());
    }
    ViewerSettings settings(settingsPath());
    ViewerSession session(viewer, settings);
    session.start({});
    ASSERT_TRUE(showsListStations());
    EXPECT_EQ(session.shownList(), list);
}

TEST_F(ViewerSessionTest, AListThatCannotBeUsedLeavesTheBuiltInStationsAndTheLastListAlone) {
    const QString last = writeList("last.m3u");
    {
        ViewerSettings settings(settingsPath());
        settings.setLastList(last);
        ASSERT_TRUE(settings.save());
    }
    ViewerSettings settings(settingsPath());
    ViewerSession session(viewer, settings);
    session.start(dir.filePath(s("missing.m3u")));
    ASSERT_TRUE(waitFor([this] { return !messages.messages.empty(); }, 5000));
    EXPECT_EQ(messages.messages.front().title, s("Lathos"));
    EXPECT_TRUE(messages.messages.front().text.contains(s("missing.m3u")));
    EXPECT_EQ(session.shownList(), ViewerSettings::BuiltinList);
    EXPECT_EQ(catalogue.FindStation(s("List One")), Catalogue::NotFound);
    EXPECT_GT(viewer.form().channelCount(), 50);
    EXPECT_EQ(settings.lastList(), last);
}

TEST_F(ViewerSessionTest, EachListKeepsItsOwnFavourites) {
    const QString list = writeList("channels.m3u");
    ViewerSettings settings(settingsPath());
    ViewerSession session(viewer, settings);
    session.start({});
    const QString builtin = catalogue.station(1).Name;
    ASSERT_TRUE(viewer.form().pinFavourite(builtin));

    viewer.lists().open(list);
    ASSERT_TRUE(showsListStations());
    EXPECT_TRUE(viewer.form().favourites().names().isEmpty());
    ASSERT_TRUE(viewer.form().pinFavourite(s("List Two")));

    ViewerSettings reread(settingsPath());
    EXPECT_EQ(reread.favourites(ViewerSettings::BuiltinList), QStringList{builtin});
    EXPECT_EQ(reread.favourites(list), QStringList{s("List Two")});
}

TEST_F(ViewerSessionTest, TheGuideAddressSetForAListIsKeptAndUsedWhenTheListIsBack) {
    const QString list = writeList("channels.m3u");
    const QString other = writeList("other.m3u");
    ViewerSettings settings(settingsPath());
    ViewerSession session(viewer, settings);
    session.start(list);
    ASSERT_TRUE(showsListStations());
    viewer.form().openChannelBrowser();
    viewer.form().channelBrowser()->findChild<QPushButton*>(s("channelGuide"))->click();
    auto* dialog = viewer.form().channelBrowser()->findChild<QInputDialog*>(s("guideAddress"));
    ASSERT_NE(dialog, nullptr);
    dialog->setTextValue(s("/srv/epg/guide.xml.gz"));
    dialog->accept();
    EXPECT_EQ(ViewerSettings(settingsPath()).guideAddress(list), s("/srv/epg/guide.xml.gz"));

    viewer.lists().open(other);
    ASSERT_TRUE(waitFor([&] { return session.shownList() == other; }, 5000));
    EXPECT_TRUE(viewer.guide().sources().isEmpty());
    viewer.lists().open(list);
    ASSERT_TRUE(waitFor([&] { return session.shownList() == list; }, 5000));
    EXPECT_EQ(viewer.guide().sources(),
              QList<QUrl>{QUrl::fromLocalFile(s("/srv/epg/guide.xml.gz"))});
}

TEST_F(ViewerSessionTest, TheVolumeIsWrittenOnlyOnceSavedOrChanged) {
    {
        ViewerSettings settings(settingsPath());
        ViewerSession session(viewer, settings);
        session.start({});
        session.finish(); // untouched: nothing to keep
    }
    EXPECT_FALSE(ViewerSettings(settingsPath()).volume().has_value());
    {
        ViewerSettings settings(settingsPath());
        ViewerSession session(viewer, settings);
        player.setVolume(80);
        session.finish();
    }
    EXPECT_EQ(ViewerSettings(settingsPath()).volume(), 80);
    player.setVolume(50);
    {
        ViewerSettings settings(settingsPath());
        ViewerSession session(viewer, settings);
        EXPECT_EQ(player.volume(), 80); // the saved volume comes back at once
        session.finish();
    }
    EXPECT_EQ(ViewerSettings(settingsPath()).volume(), 80);
}

} // namespace
} // namespace orvanto::test
