#include "WindowTestSupport.h"
#include "window/ClickLabel.h"
#include "window/ControlDesign.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace orvanto::test {
namespace {

// The window as laid out, before start-up.
class LayoutTest : public WindowTest {
protected:
    void SetUp() override { makeForm(); }

    QRect geometry(const char* name, int index = ControlDesign::NoIndex) const {
        return index == ControlDesign::NoIndex ? control(name)->geometry()
                                               : control(name, index)->geometry();
    }
};

TEST_F(LayoutTest, EveryControlOfTheLayoutExistsInItsContainer) {
    int count = 0;
    for (const ControlDesign& design : windowLayout()) {
        const QString name = s(design.name);
        QWidget* widget = design.index == ControlDesign::NoIndex
                              ? form->controls().control(name)
                              : form->controls().control(name, design.index);
        ASSERT_NE(widget, nullptr) << design.name << ' ' << design.index;
        const QString container = s(design.container);
        QWidget* parent = container.isEmpty() ? form.get() : form->controls().control(container);
        EXPECT_EQ(widget->parentWidget(), parent) << design.name;
        EXPECT_EQ(widget->isHidden(), design.has(ControlDesign::Hidden)) << design.name;
        ++count;
    }
    EXPECT_EQ(count, 103);
    EXPECT_EQ(form->controls().control(s("sender_waehlen"), 18), nullptr);
    EXPECT_EQ(form->controls().control(s("tv_label"), 5), nullptr);
    EXPECT_EQ(form->controls().control(s("NoSuchControl")), nullptr);
}

TEST_F(LayoutTest, PositionsAreTwipsOverFifteen) {
    EXPECT_EQ(geometry("WMPTV"), QRect(0, 0, 329, 345));
    // Station button 17: the lowest of the right column, inside the 321-pixel panel.
    EXPECT_EQ(geometry("sender_waehlen", 17), QRect(144, 280, 133, 25));
    EXPECT_LE(geometry("sender_waehlen", 17).bottom(), geometry("sender_frame").height());
    EXPECT_EQ(geometry("sender_waehlen", 9).top(), geometry("sender_waehlen", 0).top());
    EXPECT_EQ(geometry("sender_frame"), QRect(656, 8, 283, 321));
    // command100 sits inside its frame, level with the buttons laid over the frame.
    EXPECT_EQ(control("command100")->mapTo(form.get(), QPoint(0, 0)), QPoint(8, 392));
    EXPECT_EQ(geometry("Command8").topLeft(), QPoint(96, 392));
    EXPECT_EQ(geometry("Command53"), QRect(536, 552, 81, 25));
    EXPECT_EQ(geometry("Label8").right() + 1, 633); // inside the 640-pixel start width
    EXPECT_EQ(geometry("Line5"), QRect(352, 344, 264, 1));
}

TEST_F(LayoutTest, CaptionsFontsAndLooks) {
    auto text = [this](const char* name) { return qobject_cast<QLabel*>(control(name))->text(); };
    EXPECT_EQ(text("Label10"), s("Alarm") + QString(19, QLatin1Char(' ')) + s("Kestrin"));
    EXPECT_EQ(text("Label4"), s(" Othoni"));
    EXPECT_EQ(text("Label7"), s("Ora"));
    EXPECT_NE(qobject_cast<ClickLabel*>(control("Label15")), nullptr);
    EXPECT_EQ(control("Label3")->toolTip(), s(" Tilexiristirio  On "));
    EXPECT_EQ(control("Label5")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(control("Combo1")->toolTip(), s("ORA"));
    EXPECT_EQ(stationButton(0)->text(), s("Zagros TV"));

    const QFont orvanto = control("Label13")->font();
    EXPECT_TRUE(orvanto.bold());
    EXPECT_TRUE(orvanto.italic());
    EXPECT_EQ(orvanto.pixelSize(), 27);
    // A bold frame caption does not make the frame's buttons bold.
    EXPECT_TRUE(control("sender_frame")->font().bold());
    EXPECT_FALSE(stationButton(0)->font().bold());
    EXPECT_NE(stationButton(0)->palette().color(QPalette::ButtonText), QColor(0x00, 0x00, 0xC0));
    EXPECT_EQ(control("Label26")->palette().color(QPalette::Window), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(control("tv_label", 4)->palette().color(QPalette::WindowText),
              QColor(0x00, 0x00, 0xFF));

    const QPixmap image = qobject_cast<QLabel*>(control("Image1"))->pixmap();
    EXPECT_EQ(image.size(), QSize(153, 150));
    EXPECT_EQ(form->windowIcon().availableSizes().value(0), QSize(32, 32));
}

// What lies under a control's text when the desktop's palette is dark: its own background, its
// frame's, the window's, or the player's picture (no colour of the layout).
int backgroundUnder(const ControlDesign& design) {
    if (design.background != ControlDesign::NoColour && !design.has(ControlDesign::Transparent)) {
        return design.background;
    }
    QRect player;
    for (const ControlDesign& other : windowLayout()) {
        if (*design.container && s(other.name) == s(design.container)) {
            return other.background;
        }
        if (other.kind == ControlDesign::Kind::Player) {
            player = QRect(other.left, other.top, other.width, other.height);
        }
    }
    if (player.contains(QRect(design.left, design.top, design.width, design.height))) {
        return ControlDesign::NoColour;
    }
    return WindowDesign::Background;
}

TEST(LayoutColours, EveryTextOverAColourOfTheLayoutHasAColourOfItsOwn) {
    using Kind = ControlDesign::Kind;
    QStringList missing;
    for (const ControlDesign& design : windowLayout()) {
        const bool drawsText = design.kind == Kind::Label || design.kind == Kind::Frame ||
                               design.kind == Kind::Combo || design.kind == Kind::Check ||
                               design.kind == Kind::Option;
        if (drawsText && *design.caption && backgroundUnder(design) != ControlDesign::NoColour &&
            design.foreground == ControlDesign::NoColour) {
            missing << s(design.name) +
                           (design.index >= 0 ? QString::number(design.index) : QString());
        }
    }
    EXPECT_TRUE(missing.isEmpty()) << missing.join(u' ').toStdString();
}

TEST_F(LayoutTest, FixedTextColoursHoldUnderADarkPalette) {
    QPalette dark;
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(role, Qt::white);
    }
    dark.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Button, QColor(0x30, 0x30, 0x30));
    const QPalette light = QApplication::palette();
    QApplication::setPalette(dark);
    QCoreApplication::processEvents(); // the change reaches the widgets by events
    for (const char* name : {"Label29", "Label5", "Label6", "Label11", "Frame4"}) {
        EXPECT_EQ(control(name)->palette().color(QPalette::WindowText), QColor(Qt::black)) << name;
    }
    EXPECT_EQ(control("Combo1")->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(control("Label26")->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0x80));
    // Controls the layout gives no colours keep the desktop's.
    EXPECT_EQ(control("Command47")->palette().color(QPalette::ButtonText), QColor(Qt::white));
    QApplication::setPalette(light);
    QCoreApplication::processEvents();
}

} // namespace
} // namespace orvanto::test
