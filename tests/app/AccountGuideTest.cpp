// A provider account's programme guide in the window: the portal's XMLTV guide through the
// guide service, matched by the channels' guide ids, and the portal's short guide for the chosen
// channel where the big one has nothing. The password shows in none of it.

#include "app/GuideWiring.h"
#include "catalogue/Catalogue.h"
#include "guide/GuideService.h"
#include "net/PlaylistLoader.h"
#include "net/PortalAccount.h"
#include "playback/FailoverPlayer.h"
#include "support/FakeClock.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/TestPortal.h"
#include "support/WaitFor.h"
#include "window/ChannelBrowser.h"
#include "window/ChannelListModel.h"
#include "window/Form1.h"

#include <QDirIterator>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

using namespace Qt::Literals::StringLiterals;

class AccountGuide : public ::testing::Test {
protected:
    void SetUp() override {
        portal.setExpiry(clock.now.toSecsSinceEpoch() + 30 * 86400);
        portal.setNow(clock.now.toSecsSinceEpoch());
        portal.setChannels({{1, u"News One"_s, u"News"_s, u"news1.example"_s, false, 0},
                            {2, u"Sport Two"_s, u"Sports"_s, u"sport2.example"_s, false, 0}});
        portal.start();
    }

    // Opens the account into the window, as the viewer does.
    ::testing::AssertionResult open() {
        PlaylistLoader loader;
        loader.setAccountCache({});
        QSignalSpy finished(&loader, &PlaylistLoader::finished);
        Catalogue incoming;
        loader.loadAccount(PortalAccount{portal.baseUrl(), portal.user(), portal.password()},
                           incoming);
        if (!waitFor([&] { return finished.count() == 1; }, 20000) ||
            !finished.at(0).at(0).value<PlaylistReport>().accepted) {
            return ::testing::AssertionFailure() << "the account did not open";
        }
        catalogue = std::move(incoming);
        form.reload({{}, {}});
        form.openChannelBrowser();
        wiring.showList(u"xtream://me@127.0.0.1:%1"_s.arg(portal.port()));
        return ::testing::AssertionSuccess();
    }
    QString cell(int row, int column) {
        return form.channelBrowser()->model().index(row, column).data().toString();
    }
    QTextBrowser* day() { return form.channelBrowser()->findChild<QTextBrowser*>(u"channelDay"_s); }

    TestPortal portal;
    QTemporaryDir cache;
    Catalogue catalogue;
    FakePlayer player;
    ManualTicker ticker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    Form1 form{catalogue, failover, player, nullptr};
    FakeClock clock{QDateTime::currentDateTime().addSecs(-120)};
    GuideService service{cache.path()};
    GuideWiring wiring{form, catalogue, service, clock};
};

TEST_F(AccountGuide, ThePortalsGuideFillsTheChannelsAndKeepsNoPassword) {
    ASSERT_TRUE(open());
    // The portal's short guide of the channel chosen may fill its row before the big guide has
    // come, so this waits for a row that only the big guide fills.
    ASSERT_TRUE(waitFor([&] { return !cell(1, ChannelListModel::NextColumn).isEmpty(); }, 20000))
        << service.status().text.toStdString();
    EXPECT_TRUE(cell(0, ChannelListModel::NowColumn).startsWith(u"Show 1 of News One"_s));
    EXPECT_TRUE(cell(1, ChannelListModel::NextColumn).contains(u"Show 2 of Sport Two"_s))
        << cell(1, ChannelListModel::NextColumn).toStdString();
    EXPECT_EQ(portal.requests(u"xmltv"_s), 1);
    EXPECT_FALSE(service.status().text.contains(portal.password()));

    QDirIterator files(cache.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains(portal.password().toUtf8()))
            << file.fileName().toStdString();
    }
}

TEST_F(AccountGuide, WhereTheBigGuideHasNothingTheShortGuideTellsTheDay) {
    portal.setFailure(u"xmltv"_s, TestPortal::Failure::ServerError);
    ASSERT_TRUE(open());
    ASSERT_TRUE(
        waitFor([&] { return day()->toPlainText().contains(u"Show 1 of News One"_s); }, 20000))
        << day()->toPlainText().toStdString();
    EXPECT_TRUE(day()->toPlainText().contains(u"\u00dcber Show 2"_s));
    EXPECT_GE(portal.requests(u"get_short_epg"_s), 1);

    // The channel's row tells what is on now and next too.
    const auto* model = form.channelBrowser()->findChild<QTableView*>()->model();
    const int row = form.channelBrowser()->findChild<QTableView*>()->currentIndex().row();
    ASSERT_GE(row, 0);
    const QString now = model->index(row, ChannelListModel::NowColumn).data().toString();
    const QString next = model->index(row, ChannelListModel::NextColumn).data().toString();
    EXPECT_TRUE(now.contains(u"Show 1 of News One"_s)) << now.toStdString();
    EXPECT_TRUE(next.contains(u"Show 2"_s)) << next.toStdString();
}

} // namespace
} // namespace orvanto::test
