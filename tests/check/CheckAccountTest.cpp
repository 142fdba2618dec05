// The built program's --check of a provider account, its password piped in as a script does:
// what it finds and says, and that the password shows in none of it.

#include "desktop/SecretStores.h"
#include "support/TestPortal.h"
#include "support/WaitFor.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace Qt::Literals::StringLiterals;
using orvanto::test::TestPortal;

struct Outcome {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

class CheckAccount : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        portal.setExpiry(QDateTime::currentSecsSinceEpoch() + 30 * 86400);
        portal.start();
    }

    QString address() const {
        return u"xtream://%1@127.0.0.1:%2"_s.arg(portal.user()).arg(portal.port());
    }

    // The program's environment: this home alone, and a session bus where nobody answers, so
    // that no secret store runs.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, home.path());
        env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        env.insert(u"XDG_CACHE_HOME"_s, home.filePath(u"cache"_s));
        env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, home.path());
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + home.filePath(u"no-bus"_s));
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        return env;
    }

    Outcome run(const QStringList& arguments, const QByteArray& input) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setWorkingDirectory(home.path());
        process.start(QStringLiteral(ORVANTO_BINARY), QStringList{u"--check"_s} + arguments);
        EXPECT_TRUE(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(120000));
        Outcome outcome;
        outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        outcome.out = process.readAllStandardOutput();
        outcome.err = process.readAllStandardError();
        return outcome;
    }

    // Every file the run left in its home that holds the password, but `allowed`.
    QStringList filesWithPassword(const QString& allowed = {}) const {
        QStringList found;
        QDirIterator files(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (file.fileName() == allowed) {
                continue;
            }
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(secret())) {
                found.append(file.fileName());
            }
        }
        return found;
    }

    QByteArray secret() const { return portal.password().toUtf8(); }

    QTemporaryDir home;
    TestPortal portal;
};

TEST_F(CheckAccount, AWholeAccountIsCheckedHeadlessAndThePasswordShowsNowhere) {
    portal.setChannels({{1, u"News One"_s, u"News"_s, u"news1.example"_s, true, 3},
                        {2, u"Sport Two"_s, u"Sports"_s, {}, false, 0},
                        {3, u"Kids Three"_s, u"Kids"_s, {}, false, 0}});
    portal.setConnections(0, 3);
    portal.setFailure(u"live"_s, TestPortal::Failure::None);
    const Outcome outcome =
        run({address(), u"--json"_s, u"r.json"_s, u"--timeout"_s, u"20"_s}, secret() + "\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains("active until")) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.contains("News One: 1 of 1 play")) << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains("/live/me/\xe2\x80\xa2\xe2\x80\xa2\xe2\x80\xa2/1.m3u8"))
        << outcome.out.toStdString();

    QFile json(home.filePath(u"r.json"_s));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(json.readAll()).object();
    EXPECT_EQ(root[u"list"_s].toString(), address());
    EXPECT_EQ(root[u"totals"_s][u"stationsPlaying"_s].toInt(), 3);

    EXPECT_FALSE(outcome.out.contains(secret()));
    EXPECT_FALSE(outcome.err.contains(secret()));
    EXPECT_EQ(filesWithPassword(), QStringList{});
    EXPECT_GE(portal.requests(u"live"_s), 3);
}

TEST_F(CheckAccount, AnAccountThatCannotBeUsedEndsWithStatusTwoAndItsStateInWords) {
    portal.setStatus(u"Expired"_s);
    portal.setExpiry(1764547200);
    Outcome outcome = run({address()}, secret() + "\n");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(outcome.err.contains("the account has expired on 1 December 2025"))
        << outcome.err.toStdString();

    portal.setStatus(u"Active"_s);
    portal.setExpiry(0);
    outcome = run({address()}, "wrong-password\n");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(outcome.err.contains("wrong user name or password")) << outcome.err.toStdString();
    EXPECT_FALSE(outcome.err.contains("wrong-password"));

    outcome = run({address()}, "");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(outcome.err.contains("no password for the account")) << outcome.err.toStdString();

    // Every address of the list it would write holds the password.
    outcome = run({address(), u"--write-m3u"_s, u"out.m3u"_s}, secret() + "\n");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_FALSE(QFile::exists(home.filePath(u"out.m3u"_s)));
    EXPECT_EQ(filesWithPassword(), QStringList{});
}

TEST_F(CheckAccount, TheViewerKeepsThePasswordInTheSecretStoreAlone) {
    portal.generateChannels(6);
    // The account was opened before, and its password kept where no secret store runs.
    const QString secrets = home.filePath(u"config/orvanto-tv/secrets.conf"_s);
    orvanto::FileSecretStore store(secrets);
    bool written = false;
    store.write(address(), portal.password(), [&](const QString& error) {
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        written = true;
    });
    ASSERT_TRUE(orvanto::test::waitFor([&] { return written; }, 5000));

    QProcess viewer;
    viewer.setProcessEnvironment(environment());
    viewer.setWorkingDirectory(home.path());
    viewer.start(QStringLiteral(ORVANTO_BINARY), {u"--playlist"_s, address()});
    ASSERT_TRUE(viewer.waitForStarted());
    // Opened: the channel list is kept for when the portal does not answer, and the guide read.
    const QDir accounts(home.filePath(u"cache/orvanto-tv/accounts"_s));
    EXPECT_TRUE(orvanto::test::waitFor(
        [&] {
            return !accounts.entryList(QDir::Files).isEmpty() && portal.requests(u"xmltv"_s) > 0;
        },
        60000));
    QTest::qWait(1000);
    viewer.terminate();
    viewer.waitForFinished(10000);
    const QByteArray out = viewer.readAllStandardOutput() + viewer.readAllStandardError();
    EXPECT_FALSE(out.contains(secret())) << out.toStdString();
    EXPECT_EQ(filesWithPassword(secrets), QStringList{});
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(secrets).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

} // namespace
