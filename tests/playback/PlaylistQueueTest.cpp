#include "playback/PlaylistQueue.h"

#include "playback/ByteCounter.h"

#include <gtest/gtest.h>

using namespace orvanto;

namespace {
QUrl u(const char* text) {
    return QUrl(QString::fromUtf8(text));
}
} // namespace

TEST(PlaylistQueue, PlaylistEntriesComeNextDepthFirst) {
    PlaylistQueue queue;
    queue.reset(u("http://a.example.com/list.asx"));
    auto top = queue.next();
    ASSERT_TRUE(top);
    EXPECT_EQ(top->depth, 0);
    EXPECT_FALSE(queue.hasNext());
    ASSERT_TRUE(
        queue.expand(*top, {u("http://a.example.com/inner.asx"), u("mms://b.example.com/")}));
    auto inner = queue.next();
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->url, u("http://a.example.com/inner.asx"));
    EXPECT_EQ(inner->depth, 1);
    ASSERT_TRUE(queue.expand(*inner, {u("mms://c.example.com/")}));
    EXPECT_EQ(queue.next()->url, u("mms://c.example.com/"));
    EXPECT_EQ(queue.next()->url, u("mms://b.example.com/"));
    EXPECT_FALSE(queue.next());
}

TEST(PlaylistQueue, SelfReferencingPlaylistEndsAtTheDepthLimit) {
    const QUrl self = u("http://a.example.com/self.asx");
    PlaylistQueue queue;
    queue.reset(self);
    int followed = 0;
    while (auto entry = queue.next()) {
        if (queue.expand(*entry, {self, self})) {
            ++followed;
        }
    }
    // Two entries per level: 1 + 2 + 4 + 8 playlists are opened up, those at depth 4 are not.
    EXPECT_EQ(followed, 15);
}

TEST(PlaylistQueue, AddressesHandedOutAreBounded) {
    PlaylistQueue queue;
    queue.reset(u("http://a.example.com/"));
    QList<QUrl> many;
    for (int i = 0; i < 60; ++i) {
        many << u("http://a.example.com/x");
    }
    int handedOut = 0;
    while (auto entry = queue.next()) {
        ++handedOut;
        queue.expand(*entry, many);
    }
    EXPECT_EQ(handedOut, PlaylistQueue::MaxAddresses);
}

TEST(ByteCounter, AddsUpAcrossTheWrapOfTheEnginesCount) {
    ByteCounter counter;
    EXPECT_TRUE(counter.update(0x7ffffff0u));
    EXPECT_FALSE(counter.update(0x7ffffff0u));
    // libVLC's signed 32-bit count turns negative after 2 GiB, then wraps through zero.
    EXPECT_TRUE(counter.update(static_cast<quint32>(static_cast<qint32>(0x80000010u))));
    EXPECT_EQ(counter.total(), 0x80000010u);
    EXPECT_TRUE(counter.update(0x00000010u));
    EXPECT_EQ(counter.total(), 0x100000010ull);
    counter.restart(); // a new media counts from 0 again; the total goes on
    EXPECT_TRUE(counter.update(100));
    EXPECT_EQ(counter.total(), 0x100000010ull + 100);
}
