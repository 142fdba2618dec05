#include "window/ControlBuilder.h"

#include "window/ClickLabel.h"
#include "window/Pictures.h"
#include "window/WindowControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace orvanto {

namespace {

using Kind = ControlDesign::Kind;

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QColor colour(int rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb) | 0xFF000000u);
}

// Places a rectangle so that neighbouring controls meet without gaps after rounding.
QRect pixelRect(const ControlDesign& design) {
    const int left = WindowControls::toPixels(design.left);
    const int top = WindowControls::toPixels(design.top);
    const int right = WindowControls::toPixels(design.left + design.width);
    const int bottom = WindowControls::toPixels(design.top + design.height);
    return {left, top, std::max(right - left, 1), std::max(bottom - top, 1)};
}

void fillBackground(QWidget* widget, int rgb) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour(rgb));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// Only the roles the control itself draws its text with, so that a frame's caption colour
// does not pass to the buttons inside it.
void setTextColour(QWidget* widget, Kind kind, int rgb) {
    QPalette palette = widget->palette();
    switch (kind) {
    case Kind::Button:
        palette.setColor(QPalette::ButtonText, colour(rgb));
        break;
    case Kind::Frame: // the caption
        palette.setColor(QPalette::WindowText, colour(rgb));
        palette.setColor(QPalette::Text, colour(rgb));
        break;
    case Kind::Combo: // the text typed and the list's entries
        palette.setColor(QPalette::Text, colour(rgb));
        palette.setColor(QPalette::ButtonText, colour(rgb));
        break;
    default:
        palette.setColor(QPalette::WindowText, colour(rgb));
        break;
    }
    widget->setPalette(palette);
}

QWidget* makeLabel(const ControlDesign& design, QWidget* parent) {
    auto* label = new ClickLabel(text(design.caption), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true); // the window's labels wrap long captions at blanks
    label->setAlignment((design.has(ControlDesign::Centred) ? Qt::AlignHCenter : Qt::AlignLeft) |
                        Qt::AlignTop);
    return label;
}

QWidget* makeCombo(const ControlDesign& design, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // The box keeps what is typed: Qt's inline completion would turn a typed minute "2" into
    // the list's "20".
    combo->setCompleter(nullptr);
    combo->setEditText(text(design.caption));
    if (design.background != ControlDesign::NoColour) {
        QPalette palette = combo->palette();
        palette.setColor(QPalette::Base, colour(design.background));
        palette.setColor(QPalette::Button, colour(design.background));
        combo->setPalette(palette);
    }
    return combo;
}

QWidget* makePicture(QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(Pictures::monitorIcon());
    return picture;
}

QWidget* makeImage(QWidget* parent) {
    auto* image = new QLabel(parent);
    image->setPixmap(Pictures::liveTvPicture());
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return image;
}

QWidget* makeWidget(const ControlDesign& design, QWidget* parent, QWidget* player) {
    switch (design.kind) {
    case Kind::Label:
        return makeLabel(design, parent);
    case Kind::Button:
        return new QPushButton(text(design.caption), parent);
    case Kind::Option: {
        auto* option = new QRadioButton(text(design.caption), parent);
        option->setChecked(design.has(ControlDesign::Selected));
        return option;
    }
    case Kind::Check:
        return new QCheckBox(text(design.caption), parent);
    case Kind::Combo:
        return makeCombo(design, parent);
    case Kind::Frame:
        return new QGroupBox(text(design.caption), parent);
    case Kind::Line:
        return new QWidget(parent);
    case Kind::Picture:
        return makePicture(parent);
    case Kind::Image:
        return makeImage(parent);
    case Kind::Player:
        player->setParent(parent);
        return player;
    }
    return nullptr;
}

} // namespace

QFont layoutFont(ControlDesign::Font face, bool bold, bool italic) {
    QFont font;
    switch (face) {
    case ControlDesign::Font::Default: // MS Sans Serif 8.25 pt
        font.setFamily(QStringLiteral("Liberation Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPixelSize(11);
        break;
    case ControlDesign::Font::MsSerif675:
        font.setFamily(QStringLiteral("Liberation Serif"));
        font.setStyleHint(QFont::Serif);
        font.setPixelSize(9);
        break;
    case ControlDesign::Font::CourierNew24:
        font.setFamily(QStringLiteral("Liberation Mono"));
        font.setStyleHint(QFont::Monospace);
        font.setPixelSize(32);
        break;
    case ControlDesign::Font::TimesNewRoman2025:
        font.setFamily(QStringLiteral("Liberation Serif"));
        font.setStyleHint(QFont::Serif);
        font.setPixelSize(27);
        break;
    }
    // Weight and slant are always set, so that a bold frame does not make its contents bold.
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void buildControls(std::span<const ControlDesign> layout, WindowControls& controls,
                   QWidget* player) {
    QWidget* window = controls.window();
    for (const ControlDesign& design : layout) {
        const QString name = text(design.name);
        QWidget* parent = *design.container ? controls.control(text(design.container)) : window;
        Q_ASSERT(parent);
        QWidget* widget = makeWidget(design, parent, player);
        widget->setObjectName(design.index == ControlDesign::NoIndex
                                  ? name
                                  : name + QLatin1Char('(') + QString::number(design.index) +
                                        QLatin1Char(')'));
        widget->setGeometry(pixelRect(design));
        widget->setFont(layoutFont(design.font, design.has(ControlDesign::Bold),
                                   design.has(ControlDesign::Italic)));
        if (design.kind == Kind::Line ||
            (design.background != ControlDesign::NoColour &&
             !design.has(ControlDesign::Transparent) && design.kind != Kind::Combo &&
             design.kind != Kind::Button)) {
            fillBackground(widget, design.background);
        }
        if (design.foreground != ControlDesign::NoColour) {
            setTextColour(widget, design.kind, design.foreground);
        }
        if (*design.tooltip) {
            widget->setToolTip(text(design.tooltip));
        }
        if (design.has(ControlDesign::HandPointer)) {
            widget->setCursor(Qt::PointingHandCursor);
        }
        widget->setVisible(!design.has(ControlDesign::Hidden));
        controls.add(name, design.index, widget);
    }
}

} // namespace orvanto

namespace orvanto {

void nameControls(std::span<const ControlName> names, const WindowControls& controls) {
    for (const ControlName& entry : names) {
        const QString name = QString::fromUtf8(entry.name);
        QWidget* widget = entry.index == ControlDesign::NoIndex
                              ? controls.control(name)
                              : controls.control(name, entry.index);
        if (!widget) {
            continue;
        }
        widget->setAccessibleName(QString::fromUtf8(entry.accessibleName));
        // An editable box passes its focus to its text field, which is what a screen reader
        // reads then; on Linux Qt names the box itself after its text.
        if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->lineEdit()) {
            combo->lineEdit()->setAccessibleName(QString::fromUtf8(entry.accessibleName));
        }
    }
}

QList<QWidget*> tabChain(std::span<const ControlRef> order, const WindowControls& controls,
                         const QList<QWidget*>& playerControls) {
    QList<QWidget*> chain;
    for (const ControlRef& ref : order) {
        const QString name = QString::fromUtf8(ref.name);
        if (name == QLatin1String("WMPTV")) {
            chain << playerControls;
            continue;
        }
        QWidget* widget = ref.index == ControlDesign::NoIndex ? controls.control(name)
                                                              : controls.control(name, ref.index);
        if (widget) {
            chain << widget;
        }
    }
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
    return chain;
}

} // namespace orvanto
