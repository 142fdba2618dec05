#pragma once

#include "core/MessageSink.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace orvanto {

// Shows messages as Qt message boxes with one OK button, modal to their window but without a
// nested event loop: showMessage() returns at once and closed() follows when the user has
// closed the box.
class QtMessageSink final : public QObject, public MessageSink {
    Q_OBJECT
public:
    explicit QtMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
    void showMessage(const QString& title, const QString& text, Icon icon) override;
    // The window the message boxes are modal to.
    void setWindow(QWidget* window) { parent_ = window; }

Q_SIGNALS:
    void closed();

private:
    QPointer<QWidget> parent_;
};

} // namespace orvanto
