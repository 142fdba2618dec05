#pragma once

#include "core/MessageSink.h"

#include <QPointer>
#include <QWidget>

namespace orvanto {

// Shows messages as modal Qt message boxes with one OK button.
class QtMessageSink final : public MessageSink {
public:
    explicit QtMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
    void showMessage(const QString& title, const QString& text, Icon icon) override;
    // The window the message boxes are modal to.
    void setParent(QWidget* parent) { parent_ = parent; }

private:
    QPointer<QWidget> parent_;
};

} // namespace orvanto
