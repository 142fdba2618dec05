#include "lock/PasswordInputBox.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace orvanto {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// Runs `drive` on the modal dialog once its event loop has started. `drive` must close it;
// should the dialog be missing its field, it is rejected so that the test cannot hang.
void whenModalOpens(std::function<void(QWidget* dialog, QLineEdit* field)> drive) {
    QTimer::singleShot(0, [drive = std::move(drive)] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr) {
            ADD_FAILURE() << "no modal dialog";
            return;
        }
        auto* field = dialog->findChild<QLineEdit*>();
        if (field == nullptr) {
            ADD_FAILURE() << "the dialog has no text field";
            dialog->close();
            return;
        }
        drive(dialog, field);
    });
}

// Opens the box and runs the event loop until it has answered (the box itself never waits).
QString PasswordInputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    std::optional<QString> answer;
    openPasswordInputBox(prompt, title, defaultText, nullptr,
                         [&answer](const QString& text) { answer = text; });
    while (!answer) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return *answer;
}

TEST(PasswordInputBox, OpensWindowModalAndAnswersOnceClosed) {
    QWidget window;
    window.show();
    std::optional<QString> answer;
    QDialog* box = openPasswordInputBox(s("p"), s("t"), QString(), &window,
                                        [&answer](const QString& text) { answer = text; });
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(answer.has_value()); // it returned before the user answered
    QTest::keyClicks(box->findChild<QLineEdit*>(), s("88"));
    box->accept();
    EXPECT_EQ(answer, s("88"));
}

TEST(PasswordInputBox, APromptGoingAwayAnswersNothing) {
    QWidget window;
    int answers = 0;
    {
        QtPasswordPrompt prompt(&window);
        prompt.ask(s("p"), s("t"), QString(), [&answers](const QString&) { ++answers; });
        // A second question closes the first box, which answers as cancelled.
        prompt.ask(s("p"), s("t"), QString(), [&answers](const QString&) { answers += 10; });
        EXPECT_EQ(answers, 1);
    }
    EXPECT_EQ(answers, 1);
    EXPECT_TRUE(window.findChildren<QDialog*>().isEmpty() ||
                !window.findChildren<QDialog*>().first()->isVisible());
}

TEST(PasswordInputBox, ShowsAnAsteriskPerCharacterAndReturnsTheTextOnOk) {
    QString shown;
    QString title;
    bool promptShown = false;
    QStringList buttons;
    whenModalOpens([&](QWidget* dialog, QLineEdit* field) {
        title = dialog->windowTitle();
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            promptShown = promptShown || label->text() == s("Parakalo Doste edo to Passwort ");
        }
        for (const QPushButton* button : dialog->findChildren<QPushButton*>()) {
            buttons << button->text().remove(QLatin1Char('&'));
        }
        QTest::keyClicks(field, s("88"));
        shown = field->displayText();
        QTest::keyClick(field, Qt::Key_Return);
    });
    const QString answer = PasswordInputBox(s("Parakalo Doste edo to Passwort "),
                                            s("Prosoxi: Mono pano apo 18!"), QString());
    EXPECT_EQ(answer, s("88"));
    EXPECT_EQ(shown, s("**"));
    EXPECT_EQ(title, s("Prosoxi: Mono pano apo 18!"));
    EXPECT_TRUE(promptShown);
    EXPECT_EQ(buttons.size(), 2);
}

TEST(PasswordInputBox, MasksTheDefaultTextToo) {
    QString shown;
    whenModalOpens([&](QWidget* dialog, QLineEdit* field) {
        shown = field->displayText();
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(PasswordInputBox(s("p"), s("t"), s("abc")), s("abc"));
    EXPECT_EQ(shown, s("***"));
}

TEST(PasswordInputBox, CancelEscapeAndTheCloseBoxReturnAnEmptyString) {
    whenModalOpens([](QWidget*, QLineEdit* field) {
        QTest::keyClicks(field, s("88"));
        QTest::keyClick(field, Qt::Key_Escape);
    });
    EXPECT_EQ(PasswordInputBox(s("p"), s("t"), QString()), QString());

    whenModalOpens([](QWidget* dialog, QLineEdit* field) {
        QTest::keyClicks(field, s("88"));
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(PasswordInputBox(s("p"), s("t"), QString()), QString());

    whenModalOpens([](QWidget* dialog, QLineEdit* field) {
        QTest::keyClicks(field, s("88"));
        dialog->close();
    });
    EXPECT_EQ(PasswordInputBox(s("p"), s("t"), QString()), QString());
}

TEST(PasswordInputBox, DialogsShownAfterItAreNotMasked) {
    const int maskBefore = QApplication::style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter);
    whenModalOpens([](QWidget*, QLineEdit* field) {
        QTest::keyClicks(field, s("88"));
        QTest::keyClick(field, Qt::Key_Return);
    });
    ASSERT_EQ(PasswordInputBox(s("p"), s("t"), QString()), s("88"));
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter), maskBefore);

    // The error box that follows a wrong password shows its text in clear.
    bool textInClear = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            return;
        }
        for (const QLabel* label : box->findChildren<QLabel*>()) {
            textInClear = textInClear || label->text() == s("Lathos Passwort ");
        }
        box->close();
    });
    QMessageBox box(QMessageBox::NoIcon, s("Lathos"), s("Lathos Passwort "), QMessageBox::Ok);
    box.exec();
    EXPECT_TRUE(textInClear);

    // So does the text field of any other input box.
    QString shown;
    whenModalOpens([&](QWidget* dialog, QLineEdit* field) {
        QTest::keyClicks(field, s("88"));
        shown = field->displayText();
        dialog->close();
    });
    QInputDialog input;
    input.setLabelText(s("p"));
    input.exec();
    EXPECT_EQ(shown, s("88"));
}

} // namespace
} // namespace orvanto
