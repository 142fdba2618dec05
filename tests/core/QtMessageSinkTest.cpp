#include "core/QtMessageSink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

using namespace orvanto;

namespace {

struct Shown {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

// Shows a message and closes the box as a user would, recording what it showed.
Shown showAndClose(MessageSink::Icon icon) {
    Shown shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = {box->windowTitle(), box->text(), box->icon(),
                     static_cast<int>(box->buttons().size())};
            box->button(QMessageBox::Ok)->click();
        }
    });
    poll.start(10);
    QtMessageSink sink;
    sink.showMessage(QStringLiteral("Lathos"), QStringLiteral("Kanali 'X' den litourgoi"), icon);
    return shown;
}

} // namespace

TEST(QtMessageSink, ModalBoxWithTitleTextIconAndOneOk) {
    const Shown warning = showAndClose(MessageSink::Icon::Exclamation);
    EXPECT_EQ(warning.title, QStringLiteral("Lathos"));
    EXPECT_EQ(warning.text, QStringLiteral("Kanali 'X' den litourgoi"));
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_EQ(warning.buttons, 1);
    EXPECT_EQ(showAndClose(MessageSink::Icon::None).icon, QMessageBox::NoIcon);
}
