// What a screen reader, the keyboard and a dark desktop theme meet: accessible names read over
// AT-SPI, real key presses through XTest, and the labels' pixels under a dark palette.

#include "BusTools.h"
#include "DesktopViewer.h"
#include "support/WaitFor.h"
#include "window/ChannelBrowser.h"
#include "window/PlayerArea.h"

#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QToolButton>
#include <cmath>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// The contrast of two colours as WCAG reckons it: 1 (none) to 21 (black on white).
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a) + 0.05;
    const double lb = luminance(b) + 0.05;
    return la > lb ? la / lb : lb / la;
}

struct Accessible {
    QString role;
    QString name;
    QString parentRole;
};

class AccessibilityDesktop : public DesktopViewer {
protected:
    // The window's accessible objects as AT-SPI has them.
    static QList<Accessible> accessibles() {
        const QString out = runServing(
            s("/usr/bin/python3"),
            {s(ORVANTO_ATSPI_TREE), QString::number(QCoreApplication::applicationPid())}, 30000);
        QList<Accessible> found;
        for (const QString& line : out.split(u'\n')) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() >= 4) {
                found.append({fields[0], fields[1], fields[3]});
            }
        }
        return found;
    }
    static bool has(const QList<Accessible>& all, const QString& role, const QString& name,
                    const QString& parentRole = {}) {
        return std::any_of(all.begin(), all.end(), [&](const Accessible& a) {
            return a.role == role && a.name == name &&
                   (parentRole.isEmpty() || a.parentRole == parentRole);
        });
    }

    // Gives the window the keyboard, as a click on it would.
    void focusWindow() {
        x11::run(s("xdotool"), {s("windowfocus"), s("--sync"), QString::number(form->winId())});
        ASSERT_TRUE(waitFor([this] { return form->isActiveWindow(); }, 5000));
    }
    // The control with the keyboard (a box's text field counts as its box).
    static QWidget* focused() {
        QWidget* widget = QApplication::focusWidget();
        if (widget && qobject_cast<QComboBox*>(widget->parentWidget())) {
            return widget->parentWidget();
        }
        return widget;
    }
    // Presses Tab until `target` has the keyboard, at most `presses` times; the controls passed.
    QList<QWidget*> tabTo(QWidget* target, int presses) {
        QList<QWidget*> passed;
        for (int i = 0; i < presses && focused() != target; ++i) {
            QWidget* before = focused();
            x11::key(s("Tab"));
            waitFor([before] { return focused() != before; }, 2000);
            passed << focused();
        }
        return passed;
    }

    // The colour farthest from `background` in the control's rectangle on the screen.
    static QColor ink(QWidget* widget, const QColor& background, QRect part = {}) {
        if (part.isNull()) {
            part = widget->rect();
        }
        const QPoint at = widget->mapToGlobal(part.topLeft());
        const QImage shot = QGuiApplication::primaryScreen()
                                ->grabWindow(0, at.x(), at.y(), part.width(), part.height())
                                .toImage();
        QColor farthest = background;
        int distance = -1;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                const int d = std::abs(c.red() - background.red()) +
                              std::abs(c.green() - background.green()) +
                              std::abs(c.blue() - background.blue());
                if (d > distance) {
                    distance = d;
                    farthest = c;
                }
            }
        }
        return farthest;
    }
};

TEST_F(AccessibilityDesktop, EveryControlHasANameThatSaysWhatItIs) {
    const QList<Accessible> all = accessibles();
    ASSERT_FALSE(all.isEmpty()) << "nothing over AT-SPI";
    EXPECT_TRUE(has(all, s("push button"), s("Paixe")));
    EXPECT_TRUE(has(all, s("push button"), s("Stop")));
    EXPECT_TRUE(has(all, s("push button"), s("Othoni")));
    EXPECT_TRUE(has(all, s("slider"), s("Entasi")));
    for (const char* page : {"TV 1", "TV 2", "TV 3", "TV 4", "TV 5", "ORA"}) {
        EXPECT_TRUE(has(all, s("radio button"), s(page))) << page;
    }
    EXPECT_FALSE(has(all, s("radio button"), s("Option1")));
    EXPECT_TRUE(has(all, s("check box"), s("Alarm On/Off")));
    EXPECT_TRUE(has(all, s("text"), s("Alarm ORA"), s("combo box")));
    EXPECT_TRUE(has(all, s("text"), s("Alarm Lepta"), s("combo box")));
    EXPECT_TRUE(has(all, s("push button"), s("Alarm STOP")));
}

TEST_F(AccessibilityDesktop, TheKeyboardReachesTheTransportTheVolumeAndTheAlarm) {
    focusWindow();
    QWidget* firstPage = form->controls().control(s("Option1"), 0);
    x11::click(firstPage->mapToGlobal(firstPage->rect().center()));
    ASSERT_TRUE(waitFor([firstPage] { return focused() == firstPage; }, 3000));

    PlayerArea& area = form->playerArea();
    const QList<QWidget*> passed = tabTo(area.volumeSlider(), 12);
    ASSERT_EQ(focused(), area.volumeSlider());
    EXPECT_TRUE(passed.contains(static_cast<QWidget*>(area.playButton())));
    EXPECT_TRUE(passed.contains(static_cast<QWidget*>(area.stopButton())));

    ASSERT_EQ(player.volume(), 50);
    x11::key(s("ctrl+Up"));
    x11::key(s("ctrl+Up"));
    EXPECT_TRUE(waitFor([this] { return player.volume() == 60; }, 3000)) << player.volume();
    x11::key(s("ctrl+Down"));
    EXPECT_TRUE(waitFor([this] { return player.volume() == 55; }, 3000)) << player.volume();
    EXPECT_EQ(area.volumeSlider()->value(), 55);

    // The alarm page: Tab visits the hour, the minute and the on/off box.
    QWidget* alarmPage = form->controls().control(s("Option1"), 5);
    x11::click(alarmPage->mapToGlobal(alarmPage->rect().center()));
    ASSERT_TRUE(waitFor([this] { return control("Combo1")->isVisible(); }, 3000));
    ASSERT_TRUE(waitFor([alarmPage] { return focused() == alarmPage; }, 3000));
    EXPECT_EQ(tabTo(control("Check1"), 3),
              (QList<QWidget*>{control("Combo1"), control("Combo2"), control("Check1")}));
}

TEST_F(AccessibilityDesktop, TheChannelBrowserClosesWithEscapeAndCtrlWAndQuitsWithCtrlQ) {
    focusWindow();
    for (const char* keys : {"Escape", "ctrl+w"}) {
        SCOPED_TRACE(keys);
        x11::key(s("ctrl+f"));
        ASSERT_TRUE(waitFor(
            [this] { return form->channelBrowser() && form->channelBrowser()->isActiveWindow(); },
            5000));
        x11::key(s(keys));
        EXPECT_TRUE(waitFor([this] { return !form->channelBrowser()->isVisible(); }, 3000));
        EXPECT_TRUE(form->isVisible());
        focusWindow();
    }
    x11::key(s("ctrl+f"));
    ASSERT_TRUE(waitFor([this] { return form->channelBrowser()->isActiveWindow(); }, 5000));
    x11::key(s("ctrl+q"));
    EXPECT_TRUE(waitFor([this] { return !form->isVisible(); }, 3000));
}

TEST_F(AccessibilityDesktop, UnderADarkPaletteTheLabelsOnTheLayoutsColoursStayReadable) {
    struct Label {
        const char* name;
        QColor background;
        QRect part; // empty: the whole control
    };
    const QColor cyan(0x80, 0xFF, 0xFF);
    const QColor green(0x00, 0xFF, 0x00);
    const QList<Label> labels{
        {"Label29", cyan, {}},
        {"Label5", cyan, {}},
        {"Label6", cyan, {}},
        {"Label11", cyan, {}},
        {"Frame4", green, {8, 0, 24, 14}},
        {"Label26", green, {0, 0, 250, 20}}, // above Line3
        {"Label10", cyan, {}},
    };
    const auto inks = [&] {
        QList<QColor> colours;
        for (const Label& label : labels) {
            colours << ink(control(label.name), label.background, label.part);
        }
        return colours;
    };
    // The alarm page, whose labels the station panel covers otherwise.
    qobject_cast<QRadioButton*>(form->controls().control(s("Option1"), 5))->click();
    QTest::qWait(300); // painted
    const QList<QColor> light = inks();

    QPalette dark = QApplication::palette();
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText}) {
        dark.setColor(role, QColor(0xF0, 0xF0, 0xF0));
    }
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
        dark.setColor(role, QColor(0x20, 0x20, 0x20));
    }
    const QPalette before = QApplication::palette();
    QApplication::setPalette(dark);
    QTest::qWait(300);
    const QList<QColor> shown = inks();
    QApplication::setPalette(before);

    for (qsizetype i = 0; i < labels.size(); ++i) {
        SCOPED_TRACE(labels[i].name);
        const QColor& text = shown[i];
        const QColor& bg = labels[i].background;
        // The text reads on its background, as it does in the light palette.
        EXPECT_GT(contrast(text, bg), 4.5)
            << qPrintable(text.name()) << " light " << qPrintable(light[i].name());
        EXPECT_LT(std::abs(text.lightness() - light[i].lightness()), 60)
            << qPrintable(text.name()) << " against " << qPrintable(light[i].name());
    }
}

} // namespace
} // namespace orvanto::test
