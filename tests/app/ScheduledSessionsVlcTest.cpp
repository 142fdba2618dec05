// The sessions of scheduled recordings on the real player against a loopback server: two that
// overlap record side by side, each on a player of its own, into files of their own, and one
// whose list is not on show waits for it.

#include "app/ScheduledSessions.h"
#include "catalogue/Catalogue.h"
#include "playback/RecordingSchedule.h"
#include "support/TestHttpServer.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace orvanto::test {
namespace {

using namespace Qt::Literals::StringLiterals;
using Ended = RecordingSessionFactory::Ended;

constexpr int OpenMs = 20000; // generous: a loaded two-core machine, and ASan

class ScheduledSessionsVlcTest : public ::testing::Test {
protected:
    ScheduledSessionsVlcTest() {
        server.start();
        server.route(u"/one"_s, TestHttpServer::wav());
        server.route(u"/two"_s, TestHttpServer::wav());
        catalogue.AddStreamUrl(u"One"_s, server.url(u"/one"_s).toString());
        catalogue.AddStreamUrl(u"Two"_s, server.url(u"/two"_s).toString());
    }

    ScheduledRecording entry(const QString& channel, const QString& list = u"tv"_s) const {
        return {.id = 1,
                .list = list,
                .channel = channel,
                .programme = u"News"_s,
                .start = QDateTime(QDate(2026, 12, 9), QTime(20, 0)).toSecsSinceEpoch(),
                .stop = QDateTime(QDate(2026, 12, 9), QTime(21, 0)).toSecsSinceEpoch(),
                .paddingBefore = 0,
                .paddingAfter = 0,
                .state = ScheduledRecording::State::Scheduled,
                .reason = {},
                .path = {}};
    }

    TestHttpServer server;
    Catalogue catalogue;
    QTemporaryDir folder;
    ScheduledSessions sessions{[this](const QString& list, const QString& channel) {
                                   const int index = catalogue.FindStation(channel);
                                   return list == u"tv"_s && index > 0 ? &catalogue.station(index)
                                                                       : nullptr;
                               },
                               folder.path()};
};

TEST_F(ScheduledSessionsVlcTest, TwoOverlappingRecordSideBySideIntoFilesOfTheirOwn) {
    std::optional<Ended> first;
    std::optional<Ended> second;
    RecordingSessionFactory::Start one =
        sessions.start(entry(u"One"_s), [&](const Ended& end) { first = end; });
    RecordingSessionFactory::Start two =
        sessions.start(entry(u"Two"_s), [&](const Ended& end) { second = end; });
    ASSERT_TRUE(one.session && two.session);
    const QDir dir(folder.path());
    // Each file grows while the other does.
    auto sizes = [&] {
        QList<qint64> found;
        for (const QFileInfo& file : dir.entryInfoList(QDir::Files)) {
            found << file.size();
        }
        return found;
    };
    ASSERT_TRUE(waitFor(
        [&] {
            const QList<qint64> now = sizes();
            return now.size() == 2 && now[0] > 32000 && now[1] > 32000;
        },
        OpenMs))
        << sizes().size() << " files";
    EXPECT_EQ(server.requests(u"/one"_s), 1) << "one connection each";
    EXPECT_EQ(server.requests(u"/two"_s), 1);

    one.session->stop();
    ASSERT_TRUE(waitFor([&] { return first.has_value(); }, OpenMs));
    EXPECT_FALSE(second.has_value()) << "the other goes on";
    EXPECT_TRUE(first->reason.isEmpty()) << qPrintable(first->reason);
    EXPECT_GT(first->bytes, 32000);
    EXPECT_TRUE(QFileInfo(first->path).fileName().startsWith(u"One"_s)) << qPrintable(first->path);
    two.session->stop();
    ASSERT_TRUE(waitFor([&] { return second.has_value(); }, OpenMs));
    EXPECT_TRUE(QFileInfo(second->path).fileName().startsWith(u"Two"_s));
    EXPECT_NE(first->path, second->path);
}

TEST_F(ScheduledSessionsVlcTest, AChannelWhoseListIsNotOnShowIsAskedForAgain) {
    const RecordingSessionFactory::Start start =
        sessions.start(entry(u"One"_s, u"other"_s), [](const Ended&) {});
    EXPECT_EQ(start.session, nullptr);
    EXPECT_TRUE(start.retry);
    EXPECT_TRUE(start.refusal.contains(u"One"_s)) << qPrintable(start.refusal);
    EXPECT_EQ(server.totalRequests(), 0);
}

} // namespace
} // namespace orvanto::test
