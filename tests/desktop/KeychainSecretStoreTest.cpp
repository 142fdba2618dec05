// The desktop's secret store through Qt Keychain, against a real Secret Service (gnome-keyring)
// on the test's private session bus, and the owner-only file when none runs there.

#include "SecretStoreTools.h"
#include "desktop/SecretStores.h"
#include "support/WaitFor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace orvanto::test {
namespace {

const QString Account = u"xtream://viewer@iptv.example:8080"_s;

QString fallbackFile() {
    return QDir::homePath() + u"/.config/orvanto-tv/secrets.conf"_s;
}

// With no secret store on the bus: the store finds out on its first call, whichever it is.
class KeychainWithoutSecretService : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ownedOnBus(u"org.freedesktop.secrets"_s)) << "a Secret Service runs";
        QFile::remove(fallbackFile());
    }
};

TEST_F(KeychainWithoutSecretService, AWriteGoesToTheOwnerOnlyFileAndSaysSo) {
    KeychainSecretStore store(fallbackFile());
    EXPECT_EQ(store.place(), u"the desktop's secret store"_s) << "until a call finds out";
    const Answer written = writeTo(store, Account, u"hunter2"_s);
    ASSERT_TRUE(written.came);
    EXPECT_EQ(written.error, QString());
    EXPECT_TRUE(store.usesFallback());
    EXPECT_EQ(
        store.place(),
        u"a file only you can read (~/.config/orvanto-tv/secrets.conf): no secret store runs"_s);
    EXPECT_EQ(modeOf(fallbackFile()), 0600);
    EXPECT_EQ(filesHolding(QDir::homePath(), "hunter2"), QStringList{fallbackFile()});

    EXPECT_EQ(readFrom(store, Account).secret, u"hunter2"_s);
    ASSERT_EQ(removeFrom(store, Account).error, QString());
    EXPECT_EQ(readFrom(store, Account).secret, QString());
}

TEST_F(KeychainWithoutSecretService, AReadFindsWhatAnEarlierRunLeftInTheFile) {
    {
        FileSecretStore earlier(fallbackFile());
        ASSERT_EQ(writeTo(earlier, Account, u"from before"_s).error, QString());
    }
    KeychainSecretStore store(fallbackFile());
    const Answer read = readFrom(store, Account);
    ASSERT_TRUE(read.came);
    EXPECT_EQ(read.error, QString());
    EXPECT_EQ(read.secret, u"from before"_s);
    EXPECT_TRUE(store.usesFallback());
}

TEST_F(KeychainWithoutSecretService, CallsMadeTogetherAllReachTheFile) {
    KeychainSecretStore store(fallbackFile());
    int answers = 0;
    QStringList errors;
    for (const QString& user : {u"a"_s, u"b"_s, u"c"_s}) {
        store.write(u"xtream://%1@h:1"_s.arg(user), user,
                    [&answers, &errors](const QString& error) {
                        ++answers;
                        errors << error;
                    });
    }
    ASSERT_TRUE(waitFor([&answers] { return answers == 3; }, 15000));
    EXPECT_EQ(errors, QStringList(3, QString()));
    EXPECT_EQ(readFrom(store, u"xtream://b@h:1"_s).secret, u"b"_s);
}

// A service that owns the name and answers every call with an error (the test's own connection,
// with no objects on it): a store that runs and fails is no reason for the file.
TEST_F(KeychainWithoutSecretService, AFailingServiceIsAFailureNotAReasonForTheFile) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerService(u"org.freedesktop.secrets"_s));
    KeychainSecretStore store(fallbackFile());
    const Answer written = writeTo(store, Account, u"not-in-a-file"_s);
    bus.unregisterService(u"org.freedesktop.secrets"_s);
    ASSERT_TRUE(written.came);
    EXPECT_FALSE(written.error.isEmpty());
    EXPECT_FALSE(store.usesFallback());
    EXPECT_FALSE(QFileInfo::exists(fallbackFile()));
}

// With gnome-keyring running: one daemon for the suite (libsecret keeps its first connection
// to the service for the process's life).
class KeychainWithSecretService : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        keyring_ = std::make_unique<GnomeKeyring>();
        startError_ = keyring_->start();
    }
    static void TearDownTestSuite() { keyring_.reset(); }

    void SetUp() override {
        ASSERT_EQ(startError_, QString()) << startError_.toStdString();
        QFile::remove(fallbackFile());
    }

    static std::unique_ptr<GnomeKeyring> keyring_;
    static QString startError_;
};

std::unique_ptr<GnomeKeyring> KeychainWithSecretService::keyring_;
QString KeychainWithSecretService::startError_;

TEST_F(KeychainWithSecretService, SecretsGoToTheServiceAndNowhereElse) {
    KeychainSecretStore store(fallbackFile());
    const QString key = Account + u"/with odd=characters;#"_s;
    const Answer written = writeTo(store, key, u"s3cret-in-keyring"_s);
    ASSERT_TRUE(written.came);
    ASSERT_EQ(written.error, QString()) << written.error.toStdString();
    EXPECT_FALSE(store.usesFallback());
    EXPECT_EQ(store.place(), u"the desktop's secret store"_s);

    // Another store holds no copy of it: it comes from the service.
    KeychainSecretStore other(fallbackFile());
    const Answer read = readFrom(other, key);
    EXPECT_EQ(read.secret, u"s3cret-in-keyring"_s);
    EXPECT_EQ(read.error, QString());
    EXPECT_FALSE(QFileInfo::exists(fallbackFile()));
    // The login keyring is encrypted: the secret is in no file of the home in clear.
    EXPECT_EQ(filesHolding(QDir::homePath(), "s3cret-in-keyring"), QStringList());

    ASSERT_EQ(removeFrom(store, key).error, QString());
    const Answer gone = readFrom(other, key);
    ASSERT_TRUE(gone.came);
    EXPECT_EQ(gone.secret, QString());
    EXPECT_EQ(gone.error, QString()) << "nothing kept is no error";
    EXPECT_FALSE(QFileInfo::exists(fallbackFile()));
}

// A user who ran the viewer without a secret store, and has one now.
TEST_F(KeychainWithSecretService, APasswordTheFileKeptMovesIntoTheServiceAndForgettingClearsBoth) {
    const QString folder = QFileInfo(fallbackFile()).path();
    {
        FileSecretStore file(fallbackFile());
        ASSERT_EQ(writeTo(file, Account, u"kept-in-the-file"_s).error, QString());
    }
    KeychainSecretStore store(fallbackFile());
    const Answer read = readFrom(store, Account);
    EXPECT_EQ(read.secret, u"kept-in-the-file"_s);
    EXPECT_EQ(read.error, QString());
    EXPECT_FALSE(store.usesFallback());
    ASSERT_TRUE(waitFor([&] { return filesHolding(folder, "kept-in-the-file").isEmpty(); }, 10000))
        << "the file still holds it";
    KeychainSecretStore other(fallbackFile());
    EXPECT_EQ(readFrom(other, Account).secret, u"kept-in-the-file"_s) << "the service has it";

    // A copy left in the file goes with the one in the service.
    {
        FileSecretStore file(fallbackFile());
        ASSERT_EQ(writeTo(file, Account, u"left-in-the-file"_s).error, QString());
    }
    ASSERT_EQ(removeFrom(store, Account).error, QString());
    EXPECT_EQ(filesHolding(folder, "left-in-the-file"), QStringList());
    EXPECT_EQ(readFrom(other, Account).secret, QString());
}

TEST_F(KeychainWithSecretService, AnUnknownKeyIsEmptyAndRemovingItIsNoError) {
    KeychainSecretStore store(fallbackFile());
    const Answer read = readFrom(store, u"xtream://never@written:1"_s);
    ASSERT_TRUE(read.came);
    EXPECT_EQ(read.secret, QString());
    EXPECT_EQ(read.error, QString());
    EXPECT_EQ(removeFrom(store, u"xtream://never@written:1"_s).error, QString());
    EXPECT_FALSE(store.usesFallback());
}

TEST_F(KeychainWithSecretService, ALaterWriteReplacesTheSecret) {
    KeychainSecretStore store(fallbackFile());
    ASSERT_EQ(writeTo(store, Account, u"old"_s).error, QString());
    ASSERT_EQ(writeTo(store, Account, u"new"_s).error, QString());
    EXPECT_EQ(readFrom(store, Account).secret, u"new"_s);
}

TEST_F(KeychainWithSecretService, ALockedKeyringIsAFailureNotAReasonForTheFile) {
    ASSERT_EQ(GnomeKeyring::lockLogin(), QString());
    struct Unlock {
        ~Unlock() { EXPECT_EQ(GnomeKeyring::unlockLogin(), QString()); }
    } unlockAtTheEnd;

    KeychainSecretStore store(fallbackFile());
    const Answer written = writeTo(store, Account, u"not-in-a-file"_s);
    ASSERT_TRUE(written.came);
    EXPECT_FALSE(written.error.isEmpty());
    EXPECT_FALSE(written.error.contains(u"not-in-a-file"_s)) << written.error.toStdString();
    EXPECT_FALSE(store.usesFallback());
    EXPECT_FALSE(QFileInfo::exists(fallbackFile()));
}

} // namespace
} // namespace orvanto::test
