#include "lock/AdultButtons.h"

#include "lock/ParentalLock.h"
#include "support/ControlsByName.h"
#include "support/RecordingMessageSink.h"
#include "support/ScriptedPasswordPrompt.h"

#include <QTest>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace orvanto {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// The ADULT buttons as the window places them, column by column.
const std::vector<std::pair<const char*, const char*>> kButtons = {
    {"command100", "ADULT 1"}, {"Command1", "ADULT 2"},   {"Command3", "ADULT 3"},
    {"Command4", "ADULT 4"},   {"Command5", "ADULT 5"},   {"Command6", "ADULT 6"},
    {"Command8", "ADULT 7"},   {"Command9", "ADULT 8"},   {"Command10", "ADULT 9"},
    {"Command11", "ADULT 10"}, {"Command12", "ADULT 11"}, {"Command13", "ADULT 12"},
};

struct ButtonRig {
    ButtonRig() {
        for (const auto& [control, caption] : kButtons) {
            controls.addButton(s(control), s(caption));
        }
        controls.window()->show();
    }

    QAbstractButton* button(const char* name) const {
        return qobject_cast<QAbstractButton*>(controls.control(s(name)));
    }

    test::ControlsByName controls;
    test::ScriptedPasswordPrompt prompt;
    test::RecordingMessageSink messages;
    std::vector<std::pair<QString, int>> selected;
    ParentalLock lock{prompt, messages,
                      [this](const QString& name, int slot) { selected.emplace_back(name, slot); }};
};

TEST(AdultButtons, EachButtonOpensItsOwnStationBehindThePassword) {
    ButtonRig rig;
    ASSERT_TRUE(BindAdultButtons(rig.controls, rig.lock).isEmpty());
    rig.prompt.answer = s("88");

    for (const auto& [control, station] : kButtons) {
        rig.selected.clear();
        const size_t asked = rig.prompt.questions.size();
        QTest::mouseClick(rig.button(control), Qt::LeftButton);
        EXPECT_EQ(rig.prompt.questions.size(), asked + 1) << control;
        ASSERT_EQ(rig.selected.size(), 1u) << control;
        EXPECT_EQ(rig.selected[0], std::make_pair(s(station), 0)) << control;
    }
    EXPECT_TRUE(rig.messages.messages.empty());
}

TEST(AdultButtons, TheStationNameIsFixedNotTakenFromTheCaption) {
    ButtonRig rig;
    BindAdultButtons(rig.controls, rig.lock);
    rig.prompt.answer = s("88");
    rig.button("Command8")->setText(s("something else"));
    QTest::mouseClick(rig.button("Command8"), Qt::LeftButton);
    ASSERT_EQ(rig.selected.size(), 1u);
    EXPECT_EQ(rig.selected[0].first, s("ADULT 7"));
}

TEST(AdultButtons, ReportsControlsItCannotBind) {
    test::ControlsByName controls;
    test::ScriptedPasswordPrompt prompt;
    test::RecordingMessageSink messages;
    ParentalLock lock{prompt, messages, [](const QString&, int) {}};
    for (const auto& [control, caption] : kButtons) {
        if (s(control) == s("Command5")) {
            controls.addLabel(s(control), s(caption)); // wrong kind
        } else if (s(control) != s("Command12")) {
            controls.addButton(s(control), s(caption));
        }
    }
    EXPECT_EQ(BindAdultButtons(controls, lock), (QStringList{s("Command5"), s("Command12")}));
}

} // namespace
} // namespace orvanto
