#include "core/QtMessageSink.h"

#include <QMessageBox>

namespace orvanto {

void QtMessageSink::showMessage(const QString& title, const QString& text, Icon icon) {
    // Window-modal without a nested event loop: the tick or notification that raised the
    // message returns at once, and nothing re-enters the logic while the box is up.
    auto* box =
        new QMessageBox(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                        title, text, QMessageBox::Ok, parent_.data());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent_ ? Qt::WindowModal : Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, this, &QtMessageSink::closed);
    box->open();
}

} // namespace orvanto
