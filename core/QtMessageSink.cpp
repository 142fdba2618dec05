#include "core/QtMessageSink.h"

#include <QMessageBox>

namespace orvanto {

void QtMessageSink::showMessage(const QString& title, const QString& text, Icon icon) {
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title,
                    text, QMessageBox::Ok, parent_.data());
    box.exec();
}

} // namespace orvanto
