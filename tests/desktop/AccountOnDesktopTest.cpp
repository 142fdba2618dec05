// A provider account on the real program on an X11 desktop with its keyring: started with the
// account's address alone, it asks for the password; typed in, the channels come and one plays;
// started again, the kept password opens the account without asking, and the password is in no
// file of the program's and nowhere in what it writes.

#include "DesktopSession.h"
#include "SecretStoreTools.h"
#include "XSession.h"
#include "support/TestPortal.h"
#include "support/WaitFor.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvanto::test {

extern DesktopSession* currentDesktop;

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

constexpr int kWaitMs = 20000;

class AccountOnDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(currentDesktop, nullptr);
        if (currentDesktop->isWayland()) {
            GTEST_SKIP() << "the dialog is found and focused by its X window";
        }
        // The desktop's keyring, unlocked at login as a desktop's PAM module does; without it
        // the first write would start the installed one, which asks for a new keyring.
        const QString keyring = secretService.start();
        ASSERT_TRUE(keyring.isEmpty()) << keyring.toStdString();
        portal.setExpiry(QDateTime::currentSecsSinceEpoch() + 20 * 86400);
        portal.generateChannels(30);
        portal.start();
    }
    void TearDown() override { stop(); }

    void start() {
        QProcessEnvironment environment = currentDesktop->programEnvironment();
        environment.insert(s("XDG_CONFIG_HOME"), scratch.filePath(s("config")));
        environment.insert(s("XDG_CACHE_HOME"), scratch.filePath(s("cache")));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(s(ORVANTO_APP), {address()});
        ASSERT_TRUE(program.waitForStarted(5000));
    }
    void stop() {
        if (program.state() != QProcess::NotRunning) {
            program.terminate();
            if (!program.waitForFinished(5000)) {
                program.kill();
                program.waitForFinished(5000);
            }
        }
        output += program.readAll();
    }

    QString address() const { return s("xtream://me@127.0.0.1:%1").arg(portal.port()); }
    // The program's window titled `title`, or 0.
    quint64 window(const QString& title) const {
        for (quint64 id : x11::windowsOf(program.processId())) {
            if (x11::windowName(id) == title) {
                return id;
            }
        }
        return 0;
    }
    // The titles of the program's windows, for a failure's message.
    std::string titles() const {
        QStringList names;
        for (quint64 id : x11::windowsOf(program.processId())) {
            names << x11::windowName(id);
        }
        return names.join(s(" | ")).toStdString();
    }
    void focus(quint64 id) const {
        x11::run(s("xdotool"), {s("windowfocus"), s("--sync"), QString::number(id)});
    }

    GnomeKeyring secretService;
    TestPortal portal;
    QTemporaryDir scratch;
    QProcess program;
    QByteArray output;
};

TEST_F(AccountOnDesktop, AskedOnceForThePasswordThenOpenedWithTheKeptOne) {
    start();
    quint64 dialog = 0;
    ASSERT_TRUE(waitFor([&] { return (dialog = window(s("Provider account"))) != 0; }, kWaitMs))
        << "the program asked for nothing";
    EXPECT_EQ(portal.requests(QString()), 0);
    focus(dialog);
    // The server and the user come from the address; the password field has the focus.
    x11::type(portal.password());
    x11::key(s("Return"));
    ASSERT_TRUE(waitFor([&] { return portal.requests(s("get_live_streams")) > 0; }, kWaitMs));

    // The channels are there: one found in the browser plays from the portal.
    quint64 main = 0;
    ASSERT_TRUE(waitFor([&] { return (main = window(s("Orvanto Live TV"))) != 0; }, kWaitMs));
    quint64 browser = 0;
    const auto browserShows = [&] { return (browser = window(s("Channels"))) != 0; };
    // The key is pressed again should the window manager still have been giving the focus
    // back from the closed dialog.
    for (int attempt = 0; attempt < 3 && !browserShows(); ++attempt) {
        focus(main);
        x11::key(s("ctrl+f"));
        waitFor(browserShows, kWaitMs / 4);
    }
    ASSERT_NE(browser, 0U) << "Ctrl+F opened no channel browser";
    focus(browser);
    x11::type(s("Channel 17"));
    x11::key(s("Return"));
    EXPECT_TRUE(waitFor(
        [&] {
            for (const QByteArray& target : portal.requestTargets()) {
                if (target.contains("/live/me/") && target.contains("/17.")) {
                    return true;
                }
            }
            return false;
        },
        kWaitMs))
        << titles();
    stop();

    // Started again with the address alone: nothing is asked.
    const int logins = portal.requests(QString());
    start();
    EXPECT_TRUE(waitFor([&] { return portal.requests(s("get_live_streams")) > 1; }, kWaitMs));
    EXPECT_GT(portal.requests(QString()), logins);
    EXPECT_EQ(window(s("Provider account")), 0U);
    stop();

    const QByteArray password = portal.password().toUtf8();
    EXPECT_FALSE(output.contains(password)) << output.toStdString();
    // The keyring has it: no file of the program's.
    EXPECT_EQ(filesHolding(scratch.path(), password), QStringList());
}

} // namespace
} // namespace orvanto::test
