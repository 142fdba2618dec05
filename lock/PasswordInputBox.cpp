#include "lock/PasswordInputBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QVBoxLayout>

namespace orvanto {

namespace {

// Masks with the asterisk itself instead of the platform's bullet. Set on the password field
// only, so no other field or dialog of the program is affected.
class AsteriskMaskStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter) {
            return u'*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QDialog* openPasswordInputBox(const QString& prompt, const QString& title,
                              const QString& defaultText, QWidget* parent,
                              PasswordPrompt::Answer answered) {
    auto* dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(title);

    // The mask style goes only after the field that uses it: QWidget's destructor deletes the
    // children before QObject's announces the dialog destroyed.
    auto* maskStyle = new AsteriskMaskStyle;
    QObject::connect(dialog, &QObject::destroyed, [maskStyle] { delete maskStyle; });

    auto* label = new QLabel(prompt, dialog);
    auto* field = new QLineEdit(dialog);
    field->setObjectName(QStringLiteral("passwordField"));
    field->setStyle(maskStyle);
    // Masked before the field can show anything: the default text too.
    field->setEchoMode(QLineEdit::Password);
    field->setText(defaultText);
    label->setBuddy(field);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    field->setFocus();

    QObject::connect(
        dialog, &QDialog::finished, dialog, [field, answered = std::move(answered)](int result) {
            const QString answer = result == QDialog::Accepted ? field->text() : QString();
            // setText() also empties the field's undo history.
            field->setText(QString());
            if (answered) {
                answered(answer);
            }
        });
    dialog->open();
    return dialog;
}

QtPasswordPrompt::~QtPasswordPrompt() {
    if (open_) {
        // No answer goes to a lock that is going away.
        QObject::disconnect(open_.data(), &QDialog::finished, nullptr, nullptr);
        delete open_.data();
    }
}

void QtPasswordPrompt::ask(const QString& prompt, const QString& title, const QString& defaultText,
                           Answer answered) {
    if (open_) {
        open_->reject();
    }
    open_ = openPasswordInputBox(prompt, title, defaultText, parent_, std::move(answered));
}

} // namespace orvanto
