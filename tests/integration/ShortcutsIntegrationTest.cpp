// The web shortcuts, the e-mail label and the read-me box on the real window.

#include "ViewerFixture.h"
#include "shortcuts/ReadMe.h"
#include "shortcuts/ShortcutTable.h"
#include "window/ControlDesign.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <tuple>

namespace orvanto::test {
namespace {

using ViewerShortcuts = ViewerTest;

TEST_F(ViewerShortcuts, EveryShortcutControlOpensItsOwnAddressAndNothingElse) {
    playStationOfButton(0);
    // The e-mail label lies beneath the station panel: the alarm page uncovers it.
    click("Option1", StationPages::AlarmPage);
    const QString title = form->windowTitle();
    const QStringList urls = player.openedUrls;
    const int stops = player.stopCount;

    QStringList expected;
    int buttons = 0;
    int labels = 0;
    for (const Shortcut& entry : Shortcuts) {
        QWidget* widget = control(QString(entry.control));
        ASSERT_NE(widget, nullptr) << entry.control.data();
        EXPECT_TRUE(widget->isVisible()) << entry.control.data();
        EXPECT_TRUE(reachable(widget)) << entry.control.data();
        buttons += qobject_cast<QPushButton*>(widget) != nullptr;
        labels += qobject_cast<QLabel*>(widget) != nullptr;
        click(widget);
        expected << QString(entry.address);
        EXPECT_EQ(opener.opened, expected) << entry.control.data();
    }
    EXPECT_EQ(buttons, 32); // the grid's 30 and the status row's two
    EXPECT_EQ(labels, 1);   // the e-mail label

    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_EQ(player.openedUrls, urls);
    EXPECT_EQ(player.stopCount, stops);
    EXPECT_TRUE(failover.StationPlaying());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_TRUE(prompt.questions.empty());
}

// Every "Command" button but STOP belongs to the grid or the status row and does exactly one
// thing when clicked: opens an address, asks for the password (here cancelled, which shows
// the wrong-password box) or shows the read-me box.
TEST_F(ViewerShortcuts, EveryGridButtonIsBoundOnce) {
    // Addresses opened, questions asked, boxes shown.
    using Outcome = std::tuple<qsizetype, size_t, size_t>;
    int opens = 0;
    int asks = 0;
    int boxes = 0;
    for (QPushButton* button : form->findChildren<QPushButton*>()) {
        const QString name = button->objectName();
        if (!name.startsWith(s("command"), Qt::CaseInsensitive) || name == s("Command34")) {
            continue;
        }
        const auto opened = opener.opened.size();
        const auto asked = prompt.questions.size();
        const auto shown = messages.messages.size();
        click(button);
        const Outcome what(opener.opened.size() - opened, prompt.questions.size() - asked,
                           messages.messages.size() - shown);
        if (what == Outcome{1, 0, 0}) {
            ++opens;
        } else if (what == Outcome{0, 1, 1}) {
            ++asks;
        } else if (what == Outcome{0, 0, 1}) {
            ++boxes;
        } else {
            ADD_FAILURE() << name.toStdString() << " did something unexpected";
        }
    }
    EXPECT_EQ(opens, 30 + 2);
    EXPECT_EQ(asks, 12);
    EXPECT_EQ(boxes, 1);
}

TEST_F(ViewerShortcuts, ReadMeBoxAndEmailLabel) {
    click("Command47");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, s("Orvanto Live TV"));
    EXPECT_EQ(messages.messages[0].text, ReadMeText());
    EXPECT_EQ(messages.messages[0].text.size(), 889);
    EXPECT_EQ(messages.messages[0].icon, MessageSink::Icon::None);
    EXPECT_TRUE(opener.opened.isEmpty());

    click("Label26");
    ASSERT_EQ(opener.opened.size(), 1);
    const QString mail = opener.opened[0];
    ASSERT_TRUE(mail.startsWith(s("mailto:"))) << mail.toStdString();
    EXPECT_EQ(qobject_cast<QLabel*>(control("Label26"))->text(),
              s("Klick edo Gia Email: ") + mail.mid(7));
}

// A caption that is a domain name names the site the button opens; the e-mail label's design
// caption names the mailbox its address writes to.
TEST_F(ViewerShortcuts, CaptionsNameWhatTheControlOpens) {
    for (const char* name : {"Command39", "Command40", "Command44"}) {
        const QString caption = qobject_cast<QPushButton*>(control(name))->text();
        click(name);
        ASSERT_EQ(opener.opened.size(), 1) << name;
        EXPECT_EQ(caption.toStdString(),
                  QUrl(opener.opened.takeFirst().trimmed()).host().toStdString())
            << name;
    }
    click("Option1", StationPages::AlarmPage);
    click("Label26");
    ASSERT_EQ(opener.opened.size(), 1);
    const QString mailbox = opener.opened[0].mid(7);
    for (const ControlDesign& design : windowLayout()) {
        if (QString::fromLatin1(design.name) == EmailLabelControl) {
            EXPECT_EQ(QString::fromUtf8(design.caption), s("Klick edo Gia Email: ") + mailbox);
        }
    }
}

} // namespace
} // namespace orvanto::test
