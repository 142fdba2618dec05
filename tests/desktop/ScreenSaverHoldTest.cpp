// Holding the screensaver off through services that answer later.

#include "desktop/ScreenSaverHold.h"

#include "desktop/InhibitService.h"

#include <QList>
#include <gtest/gtest.h>
#include <memory>

namespace orvanto::test {
namespace {

// A service whose answers the test gives.
class FakeInhibit final : public InhibitService {
public:
    void inhibit(std::function<void(const QVariant&)> answer) override {
        ++asked;
        pending.push_back(std::move(answer));
    }
    void release(const QVariant& hold) override { released << hold.toUInt(); }
    void releaseNow(const QVariant& hold) override { releasedNow << hold.toUInt(); }

    // Answers the oldest request: a cookie, or 0 for a refusal.
    void answer(uint cookie) {
        auto next = std::move(pending.front());
        pending.erase(pending.begin());
        next(cookie ? QVariant(cookie) : QVariant());
    }

    int asked = 0;
    std::vector<std::function<void(const QVariant&)>> pending;
    QList<uint> released;
    QList<uint> releasedNow;
};

TEST(ScreenSaverHold, HeldWhileWantedThroughEveryServiceAndLetGo) {
    FakeInhibit screenSaver;
    FakeInhibit portal;
    ScreenSaverHold hold({&screenSaver, &portal});
    hold.setWanted(true);
    hold.setWanted(true);
    EXPECT_EQ(screenSaver.asked, 1);
    EXPECT_EQ(portal.asked, 1);
    EXPECT_FALSE(hold.isHeld()) << "not before an answer";
    screenSaver.answer(7);
    portal.answer(0); // no portal on this desktop
    EXPECT_TRUE(hold.isHeld());
    hold.setWanted(false);
    EXPECT_EQ(screenSaver.released, QList<uint>{7});
    EXPECT_TRUE(portal.released.isEmpty());
    EXPECT_FALSE(hold.isHeld());
    hold.setWanted(true); // a refusal is no reason never to ask again
    EXPECT_EQ(portal.asked, 2);
}

TEST(ScreenSaverHold, AnAnswerThatComesTooLateIsLetGoAtOnce) {
    FakeInhibit service;
    ScreenSaverHold hold({&service});
    hold.setWanted(true);
    hold.setWanted(false); // the picture ended before the service answered
    hold.setWanted(true);  // and is back: the question is still open
    EXPECT_EQ(service.asked, 1);
    hold.setWanted(false);
    service.answer(3);
    EXPECT_EQ(service.released, QList<uint>{3});
    EXPECT_FALSE(hold.isHeld());
}

TEST(ScreenSaverHold, TheEndLetsEveryHoldGoAndLaterAnswersFindNobody) {
    FakeInhibit held;
    FakeInhibit slow;
    {
        ScreenSaverHold hold({&held, &slow});
        hold.setWanted(true);
        held.answer(9);
    }
    EXPECT_EQ(held.releasedNow, QList<uint>{9});
    slow.answer(4); // after the hold is gone: nothing happens, nothing breaks
    EXPECT_TRUE(slow.released.isEmpty());
}

} // namespace
} // namespace orvanto::test
