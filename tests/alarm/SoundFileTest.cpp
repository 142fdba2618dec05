// Where the alarm sound is found: a build tree, an installed tree under any prefix, the desktop's
// data folders.

#include "alarm/SoundFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

class SoundFileTest : public ::testing::Test {
protected:
    // Creates `relative` (with its folders) under the scratch folder; returns its full path.
    QString touch(const QString& relative) {
        const QString path = root.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    QString dir(const QString& relative) {
        const QString path = root.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    QTemporaryDir root;
};

TEST_F(SoundFileTest, AnInstalledProgramFindsItsDataFolderWhateverThePrefix) {
    const QString bin = dir(QStringLiteral("opt/tv/bin"));
    const QString installed = touch(QStringLiteral("opt/tv/share/orvanto-tv/Cuckoo.wav"));
    const QString elsewhere = touch(QStringLiteral("xdg/orvanto-tv/Cuckoo.wav"));

    // The path is a clean one, without "..", as the player and the messages show it.
    EXPECT_EQ(SoundFile::find(bin, {QFileInfo(elsewhere).path()}), installed);
    // A trailing separator, as some callers give the folder, makes no difference.
    EXPECT_EQ(SoundFile::find(bin + u'/', {}), installed);
}

TEST_F(SoundFileTest, TheBuildTreesFileBesideTheExecutableComesFirst) {
    const QString build = dir(QStringLiteral("build/app"));
    const QString beside = touch(QStringLiteral("build/app/Cuckoo.wav"));
    touch(QStringLiteral("build/share/orvanto-tv/Cuckoo.wav"));
    EXPECT_EQ(SoundFile::find(build, {}), beside);
}

TEST_F(SoundFileTest, DataFoldersAreSearchedInTheirOrderSkippingWhatIsNoFile) {
    const QString bin = dir(QStringLiteral("usr/bin"));
    // A folder that carries the file's name is not the file.
    dir(QStringLiteral("home/.local/share/orvanto-tv/Cuckoo.wav"));
    const QString user = root.filePath(QStringLiteral("home/.local/share/orvanto-tv"));
    const QString empty = dir(QStringLiteral("usr/local/share/orvanto-tv"));
    const QString system = touch(QStringLiteral("usr/share/orvanto-tv2/Cuckoo.wav"));
    const QString later = touch(QStringLiteral("srv/orvanto-tv/Cuckoo.wav"));

    EXPECT_EQ(SoundFile::find(
                  bin, {user, QString(), empty, QFileInfo(system).path(), QFileInfo(later).path()}),
              system);
}

TEST_F(SoundFileTest, WithNoSoundAnywhereThePlaceBesideTheExecutableIsGiven) {
    const QString bin = dir(QStringLiteral("usr/bin"));
    const QString data = dir(QStringLiteral("usr/share/orvanto-tv"));
    EXPECT_EQ(SoundFile::find(bin, {data}), QDir(bin).filePath(QStringLiteral("Cuckoo.wav")));
    // Every place looked at is named, once each, for the warning.
    EXPECT_EQ(SoundFile::candidates(bin, {data, data}),
              (QStringList{QDir(bin).filePath(QStringLiteral("Cuckoo.wav")),
                           root.filePath(QStringLiteral("usr/share/orvanto-tv/Cuckoo.wav"))}));
}

} // namespace
} // namespace orvanto::test
