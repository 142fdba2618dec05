#include "shortcuts/WebShortcuts.h"

#include "core/MessageSink.h"
#include "shortcuts/ReadMe.h"
#include "shortcuts/ShortcutTable.h"
#include "shortcuts/UrlOpener.h"
#include "window/FormControls.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <functional>
#include <utility>

namespace orvanto {

namespace {

// Turns a left click on a plain label (press and release on it) into a call.
class LabelClickFilter final : public QObject {
public:
    LabelClickFilter(QLabel* label, std::function<void()> onClick)
        : QObject(label), label_(label), onClick_(std::move(onClick)) {
        label->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != label_) {
            return false;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            pressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = pressed_ && mouse->button() == Qt::LeftButton &&
                               label_->rect().contains(mouse->position().toPoint());
            pressed_ = false;
            if (click) {
                onClick_();
            }
        }
        return false; // the label still sees its events
    }

private:
    QLabel* label_;
    std::function<void()> onClick_;
    bool pressed_ = false;
};

} // namespace

WebShortcuts::WebShortcuts(UrlOpener& opener, MessageSink& messages)
    : opener_(opener), messages_(messages) {}

QString WebShortcuts::openFailedText(const QString& address) {
    return QStringLiteral("I dieythynsi '") + address + QStringLiteral("' den anoigei");
}

void WebShortcuts::openAddress(const QString& address) {
    if (!opener_.open(address)) {
        messages_.showMessage(MessageSink::ErrorTitle(), openFailedText(address),
                              MessageSink::Icon::Exclamation);
    }
}

void WebShortcuts::showReadMe() {
    messages_.showMessage(ReadMeTitle(), ReadMeText(), MessageSink::Icon::None);
}

QStringList BindWebShortcuts(const FormControls& controls, WebShortcuts& shortcuts) {
    QStringList unbound;
    for (const Shortcut& entry : Shortcuts) {
        const QString name = entry.control;
        auto open = [&shortcuts, address = QString(entry.address)] {
            shortcuts.openAddress(address);
        };
        QWidget* widget = controls.control(name);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QObject::connect(button, &QAbstractButton::clicked, button, open);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            new LabelClickFilter(label, open);
            if (entry.control == EmailLabelControl) {
                label->setText(EmailLabelText());
            }
        } else {
            unbound.append(name);
        }
    }

    auto* readMe = qobject_cast<QAbstractButton*>(controls.control(ReadMeControl));
    if (readMe != nullptr) {
        QObject::connect(readMe, &QAbstractButton::clicked, readMe,
                         [&shortcuts] { shortcuts.showReadMe(); });
    } else {
        unbound.append(ReadMeControl);
    }
    return unbound;
}

} // namespace orvanto
