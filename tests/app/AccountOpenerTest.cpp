#include "app/ListOpener.h"
#include "catalogue/Catalogue.h"
#include "core/SecretStore.h"
#include "playback/FailoverPlayer.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/TestPortal.h"
#include "support/WaitFor.h"
#include "window/AccountDialog.h"
#include "window/ChannelBrowser.h"
#include "window/Form1.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace orvanto::test {
namespace {

using namespace Qt::Literals::StringLiterals;

// Keeps secrets in memory and answers on the next turn of the event loop, as a real store does.
class MemorySecretStore final : public SecretStore {
public:
    void read(const QString& key, ReadDone done) override {
        ++reads;
        auto answer = [this, key, done] { done(secrets.value(key), {}); };
        if (holdReads) {
            held.push_back(answer);
        } else {
            QTimer::singleShot(0, answer);
        }
    }
    void write(const QString& key, const QString& secret, Done done) override {
        QTimer::singleShot(0, [this, key, secret, done] {
            secrets.insert(key, secret);
            done({});
        });
    }
    void remove(const QString& key, Done done) override {
        QTimer::singleShot(0, [this, key, done] {
            secrets.remove(key);
            done({});
        });
    }
    QString place() const override { return u"the test's memory"_s; }

    QHash<QString, QString> secrets;
    int reads = 0;
    // Reads wait in `held` until the test answers them, as a store that asks to be unlocked does.
    bool holdReads = false;
    std::vector<std::function<void()>> held;
};

class AccountOpening : public ::testing::Test {
protected:
    void SetUp() override {
        portal.setExpiry(QDateTime::currentSecsSinceEpoch() + 10 * 86400 + 3600);
        portal.setConnections(1, 2);
        portal.generateChannels(40);
        portal.start();
        form.load({[](Catalogue& c) { c.AddStreamUrl(u"Old"_s, u"http://old.example/"_s); }, {}});
        opener.setSecrets(&secrets);
        form.openChannelBrowser();
    }

    QString address() const { return u"xtream://me@127.0.0.1:%1"_s.arg(portal.port()); }
    PortalAccount account() const {
        return PortalAccount{portal.baseUrl(), portal.user(), portal.password()};
    }
    QString note() const {
        return form.channelBrowser()->findChild<QLabel*>(u"listNote"_s)->text();
    }
    bool waitOpenedOrMessage(QSignalSpy& opened) {
        return waitFor([&] { return opened.size() > 0 || !messages.messages.empty(); }, 30000);
    }

    TestPortal portal;
    MemorySecretStore secrets;
    Catalogue catalogue;
    FakePlayer player;
    ManualTicker ticker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    Form1 form{catalogue, failover, player, nullptr};
    ListOpener opener{catalogue, form, failover, player, messages};
};

TEST_F(AccountOpening, AnAccountOpensItsChannelsKeepsItsPasswordAndSaysItsState) {
    QSignalSpy opened(&opener, &ListOpener::opened);
    opener.openAccount(account());
    ASSERT_TRUE(waitOpenedOrMessage(opened));
    ASSERT_EQ(opened.size(), 1) << messages.messages.front().text.toStdString();
    EXPECT_EQ(opened.at(0).at(0).toString(), address());
    EXPECT_EQ(catalogue.StationCount(), 40);
    EXPECT_EQ(secrets.secrets.value(address()), portal.password());
    EXPECT_TRUE(note().startsWith(address() + u": active until "_s)) << note().toStdString();
    EXPECT_TRUE(note().endsWith(u" (10 days left), 1 of 2 connections in use"_s))
        << note().toStdString();
    EXPECT_FALSE(note().contains(portal.password()));

    // Opened again by its address alone (as the viewer does at start), the password comes from
    // the store: nothing is asked. (The catalogue on show stays as it is until the new one
    // replaces it: the browser's rows read it.)
    opener.open(address());
    ASSERT_TRUE(waitOpenedOrMessage(opened) && waitFor([&] { return opened.size() == 2; }, 30000));
    EXPECT_EQ(secrets.reads, 1);
    EXPECT_EQ(catalogue.StationCount(), 40);
    EXPECT_EQ(form.window()->findChild<AccountDialog*>(), nullptr);
}

// The store may take its time (a keyring waiting to be unlocked); a list opened meanwhile is the
// one the user wants, and the account's late password must not replace it.
TEST_F(AccountOpening, AListOpenedWhileThePasswordIsLookedForStays) {
    secrets.secrets.insert(address(), portal.password());
    secrets.holdReads = true;
    opener.open(address());
    ASSERT_EQ(secrets.held.size(), 1U);

    QTemporaryDir dir;
    const QString list = dir.filePath(u"mine.m3u"_s);
    QFile file(list);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#EXTM3U\n#EXTINF:-1,Mine\nhttp://mine.example/live\n");
    file.close();
    QSignalSpy opened(&opener, &ListOpener::opened);
    opener.open(list);
    ASSERT_TRUE(waitOpenedOrMessage(opened));
    ASSERT_EQ(opened.size(), 1);

    secrets.held.front()();
    waitFor([&] { return opened.size() > 1 || !portal.requestTargets().isEmpty(); }, 300);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(portal.requestTargets().isEmpty()) << "the account was not logged in to";
    ASSERT_EQ(catalogue.StationCount(), 1);
    EXPECT_EQ(catalogue.station(1).Name, u"Mine"_s);
}

TEST_F(AccountOpening, WithoutAKeptPasswordTheAccountIsAskedForWithItsServerAndUser) {
    opener.open(address());
    ASSERT_TRUE(
        waitFor([&] { return form.window()->findChild<AccountDialog*>() != nullptr; }, 5000));
    auto* dialog = form.window()->findChild<AccountDialog*>();
    EXPECT_EQ(dialog->findChild<QLineEdit*>(u"accountServer"_s)->text(),
              portal.baseUrl().toString());
    EXPECT_EQ(dialog->findChild<QLineEdit*>(u"accountUser"_s)->text(), portal.user());
    EXPECT_EQ(dialog->problem(), u"The password is missing."_s);
    EXPECT_TRUE(dialog->findChild<QLabel*>(u"accountPlace"_s)->text().contains(u"memory"_s));

    QSignalSpy opened(&opener, &ListOpener::opened);
    dialog->findChild<QLineEdit*>(u"accountPassword"_s)->setText(portal.password());
    QMetaObject::invokeMethod(dialog, "accept"); // as Open would, had it been checked
    Q_EMIT dialog->chosen(dialog->account());
    ASSERT_TRUE(waitOpenedOrMessage(opened));
    EXPECT_EQ(catalogue.StationCount(), 40);
}

// A user with accounts at two providers: each opened once is offered, the latest first, and
// opens again with its kept password; a forgotten one is no longer offered.
TEST_F(AccountOpening, AccountsOpenedAreOfferedAndOpenWithTheirKeptPasswords) {
    TestPortal other(u"you"_s, u"other-secret"_s);
    other.setExpiry(QDateTime::currentSecsSinceEpoch() + 86400);
    other.generateChannels(7);
    other.start();
    const PortalAccount second{other.baseUrl(), other.user(), other.password()};
    QSignalSpy known(&opener, &ListOpener::knownAccountsChanged);
    QSignalSpy opened(&opener, &ListOpener::opened);
    opener.openAccount(account());
    ASSERT_TRUE(waitOpenedOrMessage(opened));
    opener.openAccount(second);
    ASSERT_TRUE(waitFor([&] { return opened.size() == 2 || !messages.messages.empty(); }, 30000));
    ASSERT_EQ(opened.size(), 2) << messages.messages.front().text.toStdString();
    EXPECT_EQ(catalogue.StationCount(), 7);
    const QStringList both{second.address(), address()};
    EXPECT_EQ(opener.knownAccounts(), both);
    ASSERT_FALSE(known.isEmpty());
    EXPECT_EQ(known.last().at(0).toStringList(), both);
    for (const QString& address : both) {
        EXPECT_FALSE(address.contains(u"secret"_s)) << address.toStdString();
    }

    opener.askAccount();
    auto* dialog = form.window()->findChild<AccountDialog*>();
    ASSERT_NE(dialog, nullptr);
    auto* choice = dialog->findChild<QComboBox*>(u"accountKnown"_s);
    ASSERT_NE(choice, nullptr);
    ASSERT_EQ(choice->count(), 3);
    EXPECT_EQ(choice->itemText(1), second.address());
    EXPECT_EQ(choice->currentIndex(), 1) << "the account on show is chosen";
    choice->setCurrentIndex(2);
    Q_EMIT choice->activated(2);
    EXPECT_EQ(dialog->findChild<QLineEdit*>(u"accountUser"_s)->text(), portal.user());
    EXPECT_TRUE(dialog->findChild<QLineEdit*>(u"accountPassword"_s)->text().isEmpty());
    EXPECT_TRUE(dialog->problem().isEmpty()) << "its password is kept";
    Q_EMIT dialog->chosen(dialog->account());
    ASSERT_TRUE(waitFor([&] { return opened.size() == 3; }, 30000));
    EXPECT_EQ(opened.last().at(0).toString(), address());
    EXPECT_EQ(catalogue.StationCount(), 40);
    EXPECT_EQ(opener.knownAccounts(), (QStringList{address(), second.address()}));
    dialog->close();

    // A new account typed in still needs its password.
    opener.askAccount();
    dialog = form.window()->findChildren<AccountDialog*>().last();
    choice = dialog->findChild<QComboBox*>(u"accountKnown"_s);
    choice->setCurrentIndex(0);
    Q_EMIT choice->activated(0);
    dialog->findChild<QLineEdit*>(u"accountServer"_s)->setText(other.baseUrl().toString());
    dialog->findChild<QLineEdit*>(u"accountUser"_s)->setText(u"someone"_s);
    EXPECT_EQ(dialog->problem(), u"The password is missing."_s);

    opener.forgetAccount(second);
    ASSERT_TRUE(waitFor([&] { return opener.knownAccounts().size() == 1; }, 5000));
    EXPECT_EQ(opener.knownAccounts(), QStringList{address()});
    EXPECT_FALSE(secrets.secrets.contains(second.address()));
}

TEST_F(AccountOpening, AnAccountThatCannotBeUsedSaysWhyAndTheChannelsOnShowStay) {
    portal.setStatus(u"Expired"_s);
    portal.setExpiry(1764547200);
    QSignalSpy opened(&opener, &ListOpener::opened);
    opener.openAccount(account());
    ASSERT_TRUE(waitOpenedOrMessage(opened));
    EXPECT_EQ(opened.size(), 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(
        messages.messages.front().text.contains(u"the account has expired on 1 December 2025"_s))
        << messages.messages.front().text.toStdString();
    EXPECT_FALSE(messages.messages.front().text.contains(portal.password()));
    EXPECT_EQ(catalogue.StationCount(), 1);
    EXPECT_EQ(catalogue.station(1).Name, u"Old"_s);
    EXPECT_EQ(note(), address() + u": the account has expired on 1 December 2025"_s);
}

TEST_F(AccountOpening, TheAccountOnShowCanBeForgottenWithItsPassword) {
    QSignalSpy opened(&opener, &ListOpener::opened);
    opener.openAccount(account());
    ASSERT_TRUE(waitOpenedOrMessage(opened));
    ASSERT_TRUE(secrets.secrets.contains(address()));

    opener.askAccount();
    auto* dialog = form.window()->findChild<AccountDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->findChild<QLineEdit*>(u"accountUser"_s)->text(), portal.user());
    EXPECT_TRUE(dialog->findChild<QLineEdit*>(u"accountPassword"_s)->text().isEmpty());
    auto* forget = dialog->findChild<QPushButton*>(u"accountForget"_s);
    ASSERT_NE(forget, nullptr);
    forget->click();
    ASSERT_TRUE(waitFor([&] { return !secrets.secrets.contains(address()); }, 5000));
    EXPECT_TRUE(waitFor([&] { return note().contains(u"its password is forgotten"_s); }, 5000));
    EXPECT_TRUE(messages.messages.empty());
    // The channels on show stay.
    EXPECT_EQ(catalogue.StationCount(), 40);
}

} // namespace
} // namespace orvanto::test
