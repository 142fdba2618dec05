#pragma once

#include "net/PortalAccount.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvanto {

// Asks for a provider account: the portal's server (http or https, with its port), the user
// name and the password. Says where the password will be kept. Opened with open(), never
// exec(): chosen() follows when the user has filled it in and pressed Open.
class AccountDialog : public QDialog {
    Q_OBJECT
public:
    // `place`: where the password goes, in words (SecretStore::place()).
    explicit AccountDialog(const QString& place, QWidget* parent = nullptr);

    // Fills the fields from an account already known (its password is asked again), and offers
    // to forget it.
    void setAccount(const PortalAccount& account);
    // The accounts whose passwords are kept, to choose from: one chosen fills the fields in and
    // opens with its kept password unless another is typed.
    void setKnownAccounts(const QList<PortalAccount>& accounts);

    // Why the fields as filled in make no account; empty when they do.
    QString problem() const;
    PortalAccount account() const;

Q_SIGNALS:
    void chosen(const orvanto::PortalAccount& account);
    // "Forget this account": its password is to go from where it is kept.
    void forgetRequested(const orvanto::PortalAccount& account);

private:
    void tryAccept();
    bool isKnown(const PortalAccount& account) const;

    QComboBox* knownBox_ = nullptr;
    QList<PortalAccount> knownAccounts_;
    QLineEdit* server_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLabel* problem_;
    QPushButton* forget_;
    PortalAccount known_;
};

} // namespace orvanto
