// The secrets file for desktops without a secret store: only its owner may read it, from before
// the first secret goes in, and it never hangs or swallows a file that is not its own.

#include "SecretStoreTools.h"
#include "desktop/SecretStores.h"
#include "support/WaitFor.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace orvanto::test {
namespace {

// A key as the viewer makes them, with what INI files and QSettings treat specially besides.
const QString OddKey = u"xtream://us er@höst.example:8080/a=b;c#d[e]%20\\\"f\""_s;
// A secret with line breaks, quotes and INI syntax in it.
const QString OddSecret = u"p=ss;w\"ord\n[secrets]\\#ü"_s;

class UmaskOf {
public:
    explicit UmaskOf(mode_t mask) : saved_(::umask(mask)) {}
    ~UmaskOf() { ::umask(saved_); }

private:
    mode_t saved_;
};

class FileSecretStoreTest : public ::testing::Test {
protected:
    // Each case its own folder in the private home, not yet made.
    QString folder() const { return scratch_.filePath(u"orvanto-tv"_s); }
    QString path() const { return folder() + u"/secrets.conf"_s; }

    static QString caseName() {
        return QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

private:
    QTemporaryDir scratch_{QDir::homePath() + u"/case-XXXXXX"_s};
};

TEST_F(FileSecretStoreTest, KeepsEachKeysSecretUntilRemoved) {
    FileSecretStore store(path());
    EXPECT_EQ(readFrom(store, OddKey).error, QString()) << "no file yet is no error";
    EXPECT_EQ(removeFrom(store, OddKey).error, QString());
    EXPECT_FALSE(QFileInfo::exists(path())) << "reading and removing make no file";

    ASSERT_EQ(writeTo(store, OddKey, OddSecret).error, QString());
    ASSERT_EQ(writeTo(store, u"xtream://other@host:80"_s, u"second"_s).error, QString());
    Answer read = readFrom(store, OddKey);
    ASSERT_TRUE(read.came);
    EXPECT_EQ(read.secret, OddSecret);
    EXPECT_EQ(read.error, QString());
    EXPECT_EQ(readFrom(store, u"xtream://nobody@host:80"_s).secret, QString());
    // Keys that differ in case only, or by what an INI key escapes, are distinct.
    EXPECT_EQ(readFrom(store, OddKey.toUpper()).secret, QString());

    ASSERT_EQ(writeTo(store, OddKey, u"changed"_s).error, QString());
    EXPECT_EQ(readFrom(store, OddKey).secret, u"changed"_s);
    ASSERT_EQ(removeFrom(store, OddKey).error, QString());
    EXPECT_EQ(readFrom(store, OddKey).secret, QString());
    EXPECT_EQ(readFrom(store, u"xtream://other@host:80"_s).secret, u"second"_s);
    EXPECT_EQ(removeFrom(store, OddKey).error, QString()) << "removing twice is no error";
}

TEST_F(FileSecretStoreTest, OnlyTheOwnerMayReadItFromTheFirstWrite) {
    const UmaskOf usual(022);
    FileSecretStore store(path());
    ASSERT_EQ(writeTo(store, u"xtream://u@h:1"_s, u"first"_s).error, QString());
    EXPECT_EQ(modeOf(path()), 0600);
    EXPECT_EQ(modeOf(folder()), 0700);

    // Loosened by someone else: the next write takes it back.
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0644), 0);
    ASSERT_EQ(writeTo(store, u"xtream://u@h:1"_s, u"second"_s).error, QString());
    EXPECT_EQ(modeOf(path()), 0600);
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0644), 0);
    ASSERT_EQ(removeFrom(store, u"xtream://u@h:1"_s).error, QString());
    EXPECT_EQ(modeOf(path()), 0600);
}

TEST_F(FileSecretStoreTest, AnExistingFolderKeepsItsModeAndTheFileIsStillOwnerOnly) {
    const UmaskOf usual(022);
    ASSERT_TRUE(QDir().mkpath(folder()));
    const int folderMode = modeOf(folder());
    FileSecretStore store(path());
    ASSERT_EQ(writeTo(store, u"k"_s, u"s"_s).error, QString());
    EXPECT_EQ(modeOf(folder()), folderMode);
    EXPECT_EQ(modeOf(path()), 0600);
}

TEST_F(FileSecretStoreTest, TheSecretGoesIntoNoOtherFile) {
    const QString secret = u"only-in-secrets-conf-%1"_s.arg(caseName());
    FileSecretStore store(path());
    ASSERT_EQ(writeTo(store, u"xtream://a@h:1"_s, secret).error, QString());
    ASSERT_EQ(writeTo(store, u"xtream://b@h:1"_s, u"other"_s).error, QString());
    ASSERT_EQ(removeFrom(store, u"xtream://b@h:1"_s).error, QString());
    EXPECT_EQ(filesHolding(QDir::homePath(), secret.toUtf8()), QStringList{path()});
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList{u"secrets.conf"_s})
        << "no copy or lock is left behind";
    EXPECT_FALSE(store.place().contains(secret));
}

TEST_F(FileSecretStoreTest, AnotherStoreReadsTheFileFromDisk) {
    FileSecretStore first(path());
    ASSERT_EQ(writeTo(first, OddKey, OddSecret).error, QString());
    FileSecretStore second(path());
    EXPECT_EQ(readFrom(second, OddKey).secret, OddSecret);

    // The file's bytes under a name no store has opened: what an earlier run of the viewer left.
    const QString copy = folder() + u"/earlier.conf"_s;
    ASSERT_TRUE(QFile::copy(path(), copy));
    FileSecretStore later(copy);
    EXPECT_EQ(readFrom(later, OddKey).secret, OddSecret);
    ASSERT_EQ(removeFrom(later, OddKey).error, QString());
    EXPECT_EQ(readFrom(first, OddKey).secret, OddSecret) << "the copy is a file of its own";
}

TEST_F(FileSecretStoreTest, AnswersLaterAndNeverOnceTheStoreIsGone) {
    auto store = std::make_unique<FileSecretStore>(path());
    int answers = 0;
    store->write(u"k"_s, u"s"_s, [&answers](const QString&) { ++answers; });
    store->read(u"k"_s, [&answers](const QString&, const QString&) { ++answers; });
    store->remove(u"k"_s, [&answers](const QString&) { ++answers; });
    EXPECT_EQ(answers, 0) << "no answer from within the call";
    EXPECT_TRUE(waitFor([&answers] { return answers == 3; }, 5000));

    store->read(u"k"_s, [&answers](const QString&, const QString&) { ++answers; });
    store.reset();
    QTest::qWait(50);
    EXPECT_EQ(answers, 3);
}

TEST_F(FileSecretStoreTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    FileSecretStore store(path());
    const QDeadlineTimer soon(3000);
    const Answer read = readFrom(store, u"k"_s, 3000);
    const Answer written = writeTo(store, u"k"_s, u"s"_s, 3000);
    const Answer removed = removeFrom(store, u"k"_s, 3000);
    ASSERT_TRUE(read.came && written.came && removed.came);
    EXPECT_FALSE(soon.hasExpired());
    EXPECT_TRUE(read.error.contains(path())) << read.error.toStdString();
    EXPECT_FALSE(written.error.isEmpty());
    EXPECT_FALSE(removed.error.isEmpty());
    EXPECT_FALSE(QFileInfo(path()).isFile()) << "the FIFO is not replaced";
}

TEST_F(FileSecretStoreTest, AFileOverOneMegabyteIsNotRead) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    // A valid file of exactly the limit is read; one byte more is refused, and left as it is.
    const QByteArray head = "[secrets]\n" + u"k"_s.toUtf8().toHex() + "=kept\n";
    QByteArray file = head + QByteArray(FileSecretStore::MaxFileBytes - head.size() - 1, ';');
    file += '\n';
    QFile out(path());
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(file), FileSecretStore::MaxFileBytes);
    out.close();
    FileSecretStore store(path());
    EXPECT_EQ(readFrom(store, u"k"_s).secret, u"kept"_s);

    ASSERT_TRUE(out.open(QIODevice::Append));
    out.write(";");
    out.close();
    const Answer read = readFrom(store, u"k"_s);
    EXPECT_EQ(read.secret, QString());
    EXPECT_TRUE(read.error.contains(u"1 MB"_s)) << read.error.toStdString();
    EXPECT_FALSE(writeTo(store, u"k"_s, u"new"_s).error.isEmpty());
    EXPECT_FALSE(removeFrom(store, u"k"_s).error.isEmpty());
    EXPECT_EQ(QFileInfo(path()).size(), FileSecretStore::MaxFileBytes + 1);
}

TEST_F(FileSecretStoreTest, ThePlaceNamesTheFileUnderTheHome) {
    FileSecretStore store(QDir::homePath() + u"/.config/orvanto-tv/secrets.conf"_s);
    EXPECT_EQ(
        store.place(),
        u"a file only you can read (~/.config/orvanto-tv/secrets.conf): no secret store runs"_s);
    FileSecretStore elsewhere(u"/var/tmp/secrets.conf"_s);
    EXPECT_TRUE(elsewhere.place().contains(u"(/var/tmp/secrets.conf)"_s));
}

} // namespace
} // namespace orvanto::test
