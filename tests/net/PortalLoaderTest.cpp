#include "net/PortalLoader.h"

#include "catalogue/Catalogue.h"
#include "net/PlaylistLoader.h"
#include "support/TestPortal.h"
#include "support/WaitFor.h"

#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace orvanto;
using orvanto::test::TestPortal;
using orvanto::test::waitFor;
using namespace Qt::Literals::StringLiterals;

namespace {

class PortalLoading : public ::testing::Test {
protected:
    void SetUp() override {
        portal.setExpiry(QDateTime::currentSecsSinceEpoch() + 30 * 86400);
        portal.start();
    }

    PortalAccount account() const {
        PortalAccount a;
        a.server = portal.baseUrl();
        a.user = portal.user();
        a.password = portal.password();
        return a;
    }

    // Loads the account into `catalogue`; the result, or nothing when none came in time.
    std::optional<PortalResult> load(const PortalAccount& a, int timeoutMs = 60000) {
        std::optional<PortalResult> result;
        QObject::connect(&loader, &PortalLoader::finished,
                         [&result](const PortalResult& r) { result = r; });
        loader.load(a, catalogue, {});
        waitFor([&] { return result.has_value(); }, timeoutMs);
        QObject::disconnect(&loader, &PortalLoader::finished, nullptr, nullptr);
        return result;
    }
    std::optional<PortalResult> load() { return load(account()); }

    QString refusal() {
        const std::optional<PortalResult> result = load();
        if (!result) {
            return u"(no result)"_s;
        }
        EXPECT_FALSE(result->report.accepted);
        EXPECT_EQ(catalogue.StationCount(), 0);
        return result->report.rejection;
    }

    TestPortal portal;
    Catalogue catalogue;
    PortalLoader loader;
};

TEST_F(PortalLoading, TheChannelsComeWithTheirGroupsGuideIdsAndArchives) {
    portal.generateChannels(30);
    portal.setFormats({u"ts"_s});
    const std::optional<PortalResult> result = load();
    ASSERT_TRUE(result);
    ASSERT_TRUE(result->report.accepted) << result->report.message.toStdString();
    EXPECT_TRUE(result->loggedIn);

    EXPECT_EQ(result->report.stations, 30);
    ASSERT_EQ(catalogue.StationCount(), 30);
    const Station& third = catalogue.station(3);
    EXPECT_EQ(third.Name, u"Channel 3"_s);
    EXPECT_EQ(third.Group, u"Movies"_s);
    EXPECT_EQ(third.Tags.id(), u"ch3.example"_s);
    EXPECT_EQ(third.StreamUrls[0], portal.streamUrl(3, u"ts"_s).toString());
    ASSERT_TRUE(third.hasCatchup());
    EXPECT_EQ(third.StreamUrls.catchup(0).kind, Catchup::Kind::Xc);
    EXPECT_EQ(third.StreamUrls.catchup(0).days, 3);
    EXPECT_EQ(third.StreamUrls.catchup(0).timeZone, "Europe/Berlin");
    EXPECT_FALSE(catalogue.station(4).hasCatchup());
    EXPECT_EQ(result->login.maxConnections, 1);
}

TEST_F(PortalLoading, PanelsThatMixTypesOrKeyTheirListsByIdAreReadAlike) {
    portal.generateChannels(12);
    portal.setMixedTypes(true);
    portal.setStreamsAsObject(true);
    const std::optional<PortalResult> result = load();
    ASSERT_TRUE(result);
    ASSERT_TRUE(result->report.accepted) << result->report.message.toStdString();
    ASSERT_EQ(catalogue.StationCount(), 12);
    EXPECT_EQ(catalogue.station(2).Group, u"Sports"_s);
    EXPECT_EQ(catalogue.station(6).StreamUrls.catchup(0).kind, Catchup::Kind::Xc);
}

TEST_F(PortalLoading, AnAccountThatCannotBeUsedSaysWhyAndLeavesNoChannels) {
    portal.setStatus(u"Expired"_s);
    portal.setExpiry(1764547200);
    EXPECT_EQ(refusal(), u"the account has expired on 1 December 2025"_s);
    portal.setStatus(u"Disabled"_s);
    portal.setExpiry(0);
    EXPECT_EQ(refusal(), u"the account is disabled"_s);
    portal.setStatus(u"Active"_s);

    PortalAccount wrong = account();
    wrong.password = u"guess"_s;
    const std::optional<PortalResult> result = load(wrong);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->report.rejection, u"wrong user name or password"_s);

    portal.setLoginAsBareArray(true);
    EXPECT_EQ(refusal(), u"wrong user name or password"_s);
    portal.setLoginAsBareArray(false);

    portal.setFailure({}, TestPortal::Failure::Html);
    EXPECT_EQ(refusal(), u"the server answered with a web page, not a portal"_s);
    portal.setFailure({}, TestPortal::Failure::Refused884);
    EXPECT_EQ(refusal(), u"the provider refuses this player (884)"_s);
    portal.setFailure({}, TestPortal::Failure::None);

    portal.setFailure(u"get_live_streams"_s, TestPortal::Failure::Refused884);
    EXPECT_EQ(refusal(), u"the provider refuses this player (884)"_s);
    portal.setFailure(u"get_live_streams"_s, TestPortal::Failure::Html);
    EXPECT_EQ(refusal(), u"the server answered with a web page, not a portal"_s);
}

TEST_F(PortalLoading, WithoutGroupsTheChannelsStillCome) {
    portal.generateChannels(5);
    portal.setFailure(u"get_live_categories"_s, TestPortal::Failure::ServerError);
    const std::optional<PortalResult> result = load();
    ASSERT_TRUE(result);
    ASSERT_TRUE(result->report.accepted);
    EXPECT_EQ(catalogue.StationCount(), 5);
    EXPECT_TRUE(catalogue.station(1).Group.isEmpty());
    EXPECT_TRUE(result->report.message.contains(u"the portal gave no groups (500)"_s))
        << result->report.message.toStdString();
}

TEST_F(PortalLoading, AnswersCutOffSlowOrEndlessAreBounded) {
    portal.generateChannels(2000);
    portal.setFailure(u"get_live_streams"_s, TestPortal::Failure::CutOff);
    std::optional<PortalResult> result = load();
    ASSERT_TRUE(result);
    ASSERT_TRUE(result->report.accepted) << result->report.message.toStdString();
    EXPECT_GT(catalogue.StationCount(), 0);
    EXPECT_LT(catalogue.StationCount(), 2000);
    EXPECT_TRUE(result->report.message.contains(u"cut off"_s))
        << result->report.message.toStdString();

    PortalFetch::Limits limits;
    limits.items = 500;
    loader.setLimits(limits);
    catalogue = Catalogue();
    portal.setFailure(u"get_live_streams"_s, TestPortal::Failure::Endless);
    result = load();
    ASSERT_TRUE(result);
    ASSERT_TRUE(result->report.accepted) << result->report.message.toStdString();
    EXPECT_EQ(catalogue.StationCount(), 500);
    EXPECT_TRUE(result->report.message.contains(u"more than 500 channels"_s))
        << result->report.message.toStdString();

    limits.answerTime = std::chrono::milliseconds(300);
    loader.setLimits(limits);
    catalogue = Catalogue();
    portal.setFailure({}, TestPortal::Failure::Slow, 5000);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(refusal(), u"the portal did not answer within 0.3 seconds"_s);
    EXPECT_LT(timer.elapsed(), 4000);
}

TEST_F(PortalLoading, APortalThatIsDownSaysSo) {
    portal.goDown();
    EXPECT_TRUE(refusal().startsWith(u"the portal could not be reached"_s));
}

TEST_F(PortalLoading, DroppingALoadUnderWayEndsItWithoutASignal) {
    portal.generateChannels(50);
    portal.setFailure(u"get_live_streams"_s, TestPortal::Failure::Slow, 3000);
    QSignalSpy finished(&loader, &PortalLoader::finished);
    loader.load(account(), catalogue, {});
    waitFor([&] { return portal.requests(u"get_live_streams"_s) > 0; }, 10000);
    loader.drop();
    QTest::qWait(200);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(catalogue.StationCount(), 0);
}

TEST_F(PortalLoading, TheViewersListLoaderTakesAccountsAndReservesTheLockedNames) {
    portal.setChannels(
        {{1, u"Kanali A"_s, u"News"_s, {}, false, 0}, {2, u"Locked"_s, u"News"_s, {}, false, 0}});
    PlaylistLoader playlists;
    playlists.setReservedNames({u"Locked"_s});
    QSignalSpy finished(&playlists, &PlaylistLoader::finished);
    PortalAccount a = account();
    playlists.loadAccount(a, catalogue);
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }, 30000));
    const auto report = finished.at(0).at(0).value<PlaylistReport>();
    EXPECT_TRUE(report.accepted);
    EXPECT_EQ(catalogue.StationCount(), 1);
    EXPECT_TRUE(report.account.startsWith(u"active until"_s)) << report.account.toStdString();

    // Written as a list address, with no password anywhere, it is refused for want of one.
    Catalogue other;
    playlists.load(a.address(), other);
    ASSERT_TRUE(waitFor([&] { return finished.count() == 2; }, 30000));
    const auto refused = finished.at(1).at(0).value<PlaylistReport>();
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.rejection, u"no password for the account"_s);
    EXPECT_FALSE(refused.message.contains(portal.password()));
}

TEST_F(PortalLoading, AnAccountThatStopsAnsweringShowsTheChannelsLastReadAndSaysWhen) {
    QTemporaryDir cache;
    portal.generateChannels(25);
    PlaylistLoader playlists;
    playlists.setAccountCache(cache.path());
    QSignalSpy finished(&playlists, &PlaylistLoader::finished);
    auto report = [&](int n) {
        EXPECT_TRUE(waitFor([&] { return finished.count() == n; }, 30000));
        return finished.count() < n ? PlaylistReport{}
                                    : finished.at(n - 1).at(0).value<PlaylistReport>();
    };
    playlists.loadAccount(account(), catalogue);
    ASSERT_TRUE(report(1).accepted);

    // A list cut off halfway does not replace the whole one kept.
    portal.generateChannels(2000);
    portal.setFailure(u"get_live_streams"_s, TestPortal::Failure::CutOff);
    Catalogue partial;
    playlists.loadAccount(account(), partial);
    ASSERT_TRUE(report(2).accepted);
    EXPECT_GT(partial.StationCount(), 25);

    portal.goDown();
    Catalogue kept;
    playlists.loadAccount(account(), kept);
    const PlaylistReport fromCache = report(3);
    ASSERT_TRUE(fromCache.accepted) << fromCache.message.toStdString();
    EXPECT_EQ(kept.StationCount(), 25);
    EXPECT_EQ(kept.station(25).StreamUrls[0], catalogue.station(25).StreamUrls[0]);
    EXPECT_EQ(kept.station(2).Group, u"Sports"_s);
    EXPECT_TRUE(fromCache.account.startsWith(u"the portal does not answer (the portal could not "
                                             u"be reached"_s))
        << fromCache.account.toStdString();
    EXPECT_TRUE(fromCache.account.contains(u"the channels as read on "_s));

    QDirIterator files(cache.path(), QDir::Files, QDirIterator::Subdirectories);
    int count = 0;
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains(portal.password().toUtf8()))
            << file.fileName().toStdString();
        ++count;
    }
    EXPECT_EQ(count, 1);

    // A refusal is no silence: an expired account shows no kept channels.
    portal.comeBack();
    portal.setFailure(u"get_live_streams"_s, TestPortal::Failure::None);
    portal.setStatus(u"Expired"_s);
    Catalogue refused;
    playlists.loadAccount(account(), refused);
    EXPECT_FALSE(report(4).accepted);
    EXPECT_EQ(refused.StationCount(), 0);
}

} // namespace
