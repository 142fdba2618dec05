#include "shortcuts/WebShortcuts.h"

#include "shortcuts/ReadMe.h"
#include "shortcuts/ShortcutTable.h"
#include "support/ControlsByName.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingUrlOpener.h"

#include <QGuiApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace orvanto {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// The window's shortcut controls, bound to a recording opener.
struct ShortcutRig {
    ShortcutRig() {
        for (const Shortcut& entry : Shortcuts) {
            if (entry.control == EmailLabelControl) {
                controls.addLabel(entry.control);
            } else {
                controls.addButton(entry.control);
            }
        }
        controls.addButton(ReadMeControl, s("Diavaste"));
        controls.window()->show();
        unbound = BindWebShortcuts(controls, shortcuts);
    }

    // Clicks a control the way the user does.
    void click(const QString& name) {
        QWidget* widget = controls.control(name);
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }

    test::ControlsByName controls;
    test::RecordingUrlOpener opener;
    test::RecordingMessageSink messages;
    WebShortcuts shortcuts{opener, messages};
    QStringList unbound;
};

TEST(WebShortcuts, EveryControlOpensItsOwnAddressExactly) {
    ShortcutRig rig;
    ASSERT_TRUE(rig.unbound.isEmpty()) << rig.unbound.join(QLatin1Char(' ')).toStdString();
    for (const Shortcut& entry : Shortcuts) {
        rig.opener.opened.clear();
        rig.click(entry.control);
        EXPECT_EQ(rig.opener.opened, QStringList{entry.address}) << entry.control.data();
    }
    EXPECT_TRUE(rig.messages.messages.empty());
}

TEST(WebShortcuts, EachPressOpensAgain) {
    ShortcutRig rig;
    rig.click(s("Command17"));
    rig.click(s("Command17"));
    rig.click(s("Command32"));
    ASSERT_EQ(rig.opener.opened.size(), 3);
    EXPECT_EQ(rig.opener.opened[0], rig.opener.opened[1]);
    EXPECT_EQ(rig.opener.opened[1], rig.opener.opened[2]);
}

TEST(WebShortcuts, TrailingBlanksReachTheOpener) {
    ShortcutRig rig;
    for (const Shortcut& entry : Shortcuts) {
        if (QString(entry.address).endsWith(QLatin1Char(' '))) {
            rig.click(entry.control);
        }
    }
    ASSERT_EQ(rig.opener.opened.size(), 2);
    for (const QString& address : rig.opener.opened) {
        EXPECT_TRUE(address.endsWith(QLatin1Char(' '))) << address.toStdString();
    }
}

TEST(WebShortcuts, EmailLabelShowsItsCaptionAndOpensOnALeftClickOnly) {
    ShortcutRig rig;
    auto* label = qobject_cast<QLabel*>(rig.controls.control(s("Label26")));
    EXPECT_EQ(label->text(), EmailLabelText());

    QTest::mouseClick(label, Qt::RightButton, {}, label->rect().center());
    // Pressed on the label, released outside it.
    QTest::mousePress(label, Qt::LeftButton, {}, label->rect().center());
    QTest::mouseRelease(label, Qt::LeftButton, {}, label->rect().bottomRight() + QPoint(5, 5));
    EXPECT_TRUE(rig.opener.opened.isEmpty());

    rig.click(s("Label26"));
    EXPECT_EQ(rig.opener.opened, QStringList{s("mailto:orvanto@example.org")});
}

TEST(WebShortcuts, ReadMeBoxHasTheApplicationTitleAndNoIcon) {
    ShortcutRig rig;
    rig.click(s("Command47"));

    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0].title, s("Orvanto Live TV"));
    EXPECT_EQ(rig.messages.messages[0].text, ReadMeText());
    EXPECT_EQ(rig.messages.messages[0].icon, MessageSink::Icon::None);
    EXPECT_TRUE(rig.opener.opened.isEmpty());
}

TEST(WebShortcuts, AnAddressThatCannotBeOpenedIsNamedInAnErrorBox) {
    ShortcutRig rig;
    rig.opener.succeed = false;
    rig.click(s("Command29"));
    ASSERT_EQ(rig.opener.opened.size(), 1);
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_EQ(rig.messages.messages[0].title, s("Lathos"));
    EXPECT_TRUE(rig.messages.messages[0].text.contains(s("http://skaitv.example/player/tvlive")));

    // The next press tries again.
    rig.opener.succeed = true;
    rig.click(s("Command29"));
    EXPECT_EQ(rig.opener.opened.size(), 2);
    EXPECT_EQ(rig.messages.messages.size(), 1u);
}

TEST(WebShortcuts, ReportsControlsItCannotBind) {
    test::ControlsByName controls;
    test::RecordingUrlOpener opener;
    test::RecordingMessageSink messages;
    WebShortcuts shortcuts{opener, messages};
    for (const Shortcut& entry : Shortcuts) {
        if (entry.control != QLatin1String("Command29")) {
            controls.addButton(entry.control); // Label26 too: a button serves as well
        }
    }
    EXPECT_EQ(BindWebShortcuts(controls, shortcuts), (QStringList{s("Command29"), s("Command47")}));
}

} // namespace
} // namespace orvanto
