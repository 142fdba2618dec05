// What is said, when a recording is scheduled, of the connection it will need: a second one to
// the server of a channel that plays at the same time, or one beyond what an account allows.

#include "app/ConnectionWarning.h"

#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

using namespace Qt::Literals::StringLiterals;

class ConnectionWarningTest : public ::testing::Test {
protected:
    void add(const QString& name, const QStringList& addresses) {
        for (const QString& address : addresses) {
            catalogue.AddStreamUrl(name, StreamAddress{address});
        }
    }
    // Once all are added: the catalogue moves its stations as it grows.
    const Station& station(const QString& name) const {
        return catalogue.station(catalogue.FindStation(name));
    }

    Catalogue catalogue;
};

TEST_F(ConnectionWarningTest, ASecondConnectionToTheServerOfAChannelAlongside) {
    add(u"One"_s, {u"http://tv.example:8000/one.ts"_s});
    add(u"Two"_s, {u"http://other.example/two"_s, u"http://TV.example:8000/two.ts"_s});
    add(u"Port"_s, {u"http://tv.example:8001/three.ts"_s});
    add(u"Hls"_s, {u"http://tv.example:8000/live/index.m3u8"_s});
    const Station& one = station(u"One"_s);
    const Station& two = station(u"Two"_s);
    const Station& port = station(u"Port"_s);
    const Station& hls = station(u"Hls"_s);

    const QString warning = connectionWarning(one, {&port, &two}, 0);
    EXPECT_TRUE(warning.contains(u"Two"_s)) << qPrintable(warning);
    EXPECT_TRUE(warning.contains(u"tv.example"_s)) << "its second address is the same server";
    EXPECT_TRUE(connectionWarning(one, {&port}, 0).isEmpty()) << "another port, another server";
    EXPECT_TRUE(connectionWarning(one, {}, 0).isEmpty());
    EXPECT_TRUE(connectionWarning(hls, {&one}, 0).isEmpty())
        << "HLS comes on short requests of its own";
}

TEST_F(ConnectionWarningTest, OneConnectionMoreThanTheAccountAllows) {
    add(u"One"_s, {u"http://portal.example/live/1.ts"_s});
    add(u"Two"_s, {u"http://portal.example/live/2.ts"_s});
    add(u"Three"_s, {u"http://portal.example/live/3.ts"_s});
    const Station& one = station(u"One"_s);
    const Station& two = station(u"Two"_s);
    const Station& three = station(u"Three"_s);

    EXPECT_TRUE(connectionWarning(one, {&two}, 2).isEmpty())
        << "the window and the recording: two of two";
    const QString warning = connectionWarning(one, {&two, &three}, 2);
    EXPECT_TRUE(warning.contains(u"allows 2"_s)) << qPrintable(warning);
    EXPECT_TRUE(warning.contains(u"connection 3"_s)) << qPrintable(warning);
    EXPECT_TRUE(connectionWarning(one, {}, 1).isEmpty()) << "alone, one is enough";
}

} // namespace
} // namespace orvanto::test
