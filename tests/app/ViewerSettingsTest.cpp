#include "app/ViewerSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using orvanto::ViewerSettings;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class ViewerSettingsTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(s("config/orvanto-tv.conf")); }
    void writeFile(const QByteArray& bytes) {
        QDir().mkpath(dir.filePath(s("config")));
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray fileBytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

TEST_F(ViewerSettingsTest, NothingSavedGivesNothingAndWritesNothing) {
    {
        ViewerSettings settings(path());
        EXPECT_TRUE(settings.warning().isEmpty());
        EXPECT_TRUE(settings.lastList().isEmpty());
        EXPECT_FALSE(settings.volume().has_value());
        EXPECT_TRUE(settings.favourites(ViewerSettings::BuiltinList).isEmpty());
    }
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(ViewerSettingsTest, ChoicesComeBackAtTheNextStart) {
    const QString greek = s("/home/user/Κανάλια/ελλάδα.m3u");
    const QString web = s("http://lists.example.com/all.m3u?x=1&y=2");
    {
        ViewerSettings settings(path());
        settings.setLastList(greek);
        settings.setVolume(35);
        settings.setFavourites(greek, {s("ΣΚΑΪ"), s("A, \"quoted\" name"), s("=;#[]")});
        settings.setFavourites(web, {s("One")});
        settings.setFavourites(ViewerSettings::BuiltinList, {s("Two")});
        settings.setFavourites(web, {s("Three"), s("One")}); // replaces, keeps the order
        EXPECT_TRUE(settings.save());
    }
    ViewerSettings settings(path());
    EXPECT_TRUE(settings.warning().isEmpty()) << settings.warning().toStdString();
    EXPECT_EQ(settings.lastList(), greek);
    EXPECT_EQ(settings.volume(), 35);
    EXPECT_EQ(settings.favourites(greek),
              (QStringList{s("ΣΚΑΪ"), s("A, \"quoted\" name"), s("=;#[]")}));
    EXPECT_EQ(settings.favourites(web), (QStringList{s("Three"), s("One")}));
    EXPECT_EQ(settings.favourites(ViewerSettings::BuiltinList), QStringList{s("Two")});
    EXPECT_TRUE(settings.favourites(s("/other.m3u")).isEmpty());

    // No favourites left: the list's entry goes, the others stay.
    settings.setFavourites(web, {});
    EXPECT_TRUE(settings.favourites(web).isEmpty());
    EXPECT_EQ(settings.favourites(greek).size(), 3);
}

TEST_F(ViewerSettingsTest, TheAccountsComeBackInTheirOrderOneAloneToo) {
    const QStringList two{s("xtream://me@portal.example:8080"), s("xtreams://you@tv.example")};
    for (const QStringList& accounts : {two, QStringList{two.front()}, QStringList{}}) {
        {
            ViewerSettings settings(path());
            settings.setAccounts(accounts);
            ASSERT_TRUE(settings.save());
        }
        ViewerSettings settings(path());
        QStringList back = settings.accounts();
        back.removeAll(QString()); // an empty list may come back as one empty value
        EXPECT_EQ(back, accounts);
    }
}

TEST_F(ViewerSettingsTest, ValuesOfTheWrongKindAreIgnored) {
    writeFile("[General]\nvolume=loud\nlastList=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\0)\n"
              "[favourites]\nsize=1000000000\n1\\list=/a.m3u\n1\\channels=X\n");
    ViewerSettings settings(path());
    EXPECT_FALSE(settings.volume().has_value());
    EXPECT_TRUE(settings.lastList().isEmpty());
    EXPECT_EQ(settings.favourites(s("/a.m3u")), QStringList{s("X")});

    writeFile("[General]\nvolume=250\n");
    EXPECT_FALSE(ViewerSettings(path()).volume().has_value());
    writeFile("[General]\nvolume=-1\n");
    EXPECT_FALSE(ViewerSettings(path()).volume().has_value());
}

TEST_F(ViewerSettingsTest, DamagedOrUnreadableFileIsNeitherUsedNorOverwritten) {
    const QByteArray damaged = "[General\nvolume=20\n\xff\xfe\x00garbage";
    writeFile(damaged);
    {
        ViewerSettings settings(path());
        EXPECT_TRUE(settings.warning().contains(s("is not used")))
            << settings.warning().toStdString();
        EXPECT_FALSE(settings.volume().has_value());
        settings.setVolume(80);
        settings.setLastList(s("/x.m3u"));
        EXPECT_FALSE(settings.save());
    }
    EXPECT_EQ(fileBytes(), damaged);

    // A folder where the file should be.
    QFile::remove(path());
    ASSERT_TRUE(QDir().mkpath(path()));
    ViewerSettings folder(path());
    EXPECT_TRUE(folder.warning().contains(s("cannot be read"))) << folder.warning().toStdString();
    EXPECT_TRUE(folder.lastList().isEmpty());
    folder.setFavourites(s("/x.m3u"), {s("A")});
    EXPECT_FALSE(folder.save());
}

TEST_F(ViewerSettingsTest, EachListKeepsTheGuideAddressTheUserSetForIt) {
    {
        ViewerSettings settings(path());
        settings.setGuideAddress(s("/a.m3u"), s(" http://epg.example.com/a.xml.gz "));
        settings.setGuideAddress(s("http://lists.example.com/b.m3u"), s("/srv/b.xml"));
        settings.setFavourites(s("/a.m3u"), {s("One")});
        ASSERT_TRUE(settings.save());
    }
    ViewerSettings settings(path());
    EXPECT_EQ(settings.guideAddress(s("/a.m3u")), s("http://epg.example.com/a.xml.gz"));
    EXPECT_EQ(settings.guideAddress(s("http://lists.example.com/b.m3u")), s("/srv/b.xml"));
    EXPECT_EQ(settings.guideAddress(s("/c.m3u")), QString());
    EXPECT_EQ(settings.favourites(s("/a.m3u")), QStringList{s("One")});
    // An empty address forgets it; the other list keeps its own.
    settings.setGuideAddress(s("/a.m3u"), s("  "));
    EXPECT_EQ(settings.guideAddress(s("/a.m3u")), QString());
    EXPECT_EQ(settings.guideAddress(s("http://lists.example.com/b.m3u")), s("/srv/b.xml"));
}

} // namespace

// Scheduled recordings' padding: minutes in the file, within bounds, else the defaults.
TEST_F(ViewerSettingsTest, ThePaddingOfScheduledRecordingsIsKeptWithinBounds) {
    EXPECT_EQ(ViewerSettings(path()).recordingPadding().before, 2 * 60);
    EXPECT_EQ(ViewerSettings(path()).recordingPadding().after, 5 * 60);
    writeFile("[recordings]\nbefore=0\nafter=15\n");
    EXPECT_EQ(ViewerSettings(path()).recordingPadding().before, 0);
    EXPECT_EQ(ViewerSettings(path()).recordingPadding().after, 15 * 60);
    writeFile("[recordings]\nbefore=-1\nafter=61\n");
    EXPECT_EQ(ViewerSettings(path()).recordingPadding().before, 2 * 60);
    EXPECT_EQ(ViewerSettings(path()).recordingPadding().after, 5 * 60);
    writeFile("[recordings]\nbefore=soon\n");
    EXPECT_EQ(ViewerSettings(path()).recordingPadding().before, 2 * 60);
}
