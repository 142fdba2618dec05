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

QString PasswordInputBox(const QString& prompt, const QString& title, const QString& defaultText,
                         QWidget* parent) {
    // Declared before the dialog so that it outlives the field that uses it.
    AsteriskMaskStyle maskStyle;

    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setModal(true);

    auto* label = new QLabel(prompt, &dialog);
    auto* field = new QLineEdit(&dialog);
    field->setObjectName(QStringLiteral("passwordField"));
    field->setStyle(&maskStyle);
    // Masked before the field can show anything: the default text too.
    field->setEchoMode(QLineEdit::Password);
    field->setText(defaultText);
    label->setBuddy(field);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    field->setFocus();

    QString answer;
    if (dialog.exec() == QDialog::Accepted) {
        answer = field->text();
    }
    // setText() also empties the field's undo history.
    field->setText(QString());
    return answer;
}

} // namespace orvanto
