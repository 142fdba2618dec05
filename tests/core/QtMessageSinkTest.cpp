#include "core/QtMessageSink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QWidget>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

QMessageBox* openBox(const QWidget& window) {
    return window.findChild<QMessageBox*>();
}

// The box is modal to its window but returns at once: the tick or notification that raised
// it goes on, and the box closes later, as the user clicks OK.
TEST(QtMessageSink, WindowModalBoxThatDoesNotWaitForTheUser) {
    QWidget window;
    window.show();
    QtMessageSink sink;
    sink.setWindow(&window);
    QSignalSpy closed(&sink, &QtMessageSink::closed);

    sink.showMessage(QStringLiteral("Lathos"), QStringLiteral("Kanali 'X' den litourgoi"),
                     MessageSink::Icon::Exclamation);
    QPointer<QMessageBox> box = openBox(window);
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Lathos"));
    EXPECT_EQ(box->text(), QStringLiteral("Kanali 'X' den litourgoi"));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(closed.count(), 0);

    box->button(QMessageBox::Ok)->click();
    EXPECT_EQ(closed.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(box); // nothing is left behind

    sink.showMessage(QStringLiteral("T"), QStringLiteral("plain"), MessageSink::Icon::None);
    box = openBox(window);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    box->button(QMessageBox::Ok)->click();
    EXPECT_EQ(closed.count(), 2);
}

} // namespace
} // namespace orvanto::test
