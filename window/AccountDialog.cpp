#include "window/AccountDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

// The server as typed: "portal.example:8080" is taken for http://portal.example:8080.
QUrl serverOf(const QString& text) {
    QString written = text.trimmed();
    if (!written.contains(u"://"_s)) {
        written.prepend(u"http://"_s);
    }
    QUrl url(written, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != u"http"_s && url.scheme() != u"https"_s) ||
        url.host().isEmpty() || !url.userInfo().isEmpty() ||
        (!url.path().isEmpty() && url.path() != u"/"_s) || url.hasQuery()) {
        return {};
    }
    QUrl server;
    server.setScheme(url.scheme());
    server.setHost(url.host());
    server.setPort(url.port());
    return server;
}

} // namespace

AccountDialog::AccountDialog(const QString& place, QWidget* parent) : QDialog(parent) {
    setObjectName(u"accountDialog"_s);
    setWindowTitle(u"Provider account"_s);
    server_ = new QLineEdit(this);
    server_->setObjectName(u"accountServer"_s);
    server_->setPlaceholderText(u"http://portal.example:8080"_s);
    user_ = new QLineEdit(this);
    user_->setObjectName(u"accountUser"_s);
    password_ = new QLineEdit(this);
    password_->setObjectName(u"accountPassword"_s);
    password_->setEchoMode(QLineEdit::Password);
    auto* note = new QLabel(u"The password is kept in %1."_s.arg(place), this);
    note->setObjectName(u"accountPlace"_s);
    note->setWordWrap(true);
    problem_ = new QLabel(this);
    problem_->setObjectName(u"accountProblem"_s);
    problem_->setWordWrap(true);
    problem_->hide();

    knownBox_ = new QComboBox(this);
    knownBox_->setObjectName(u"accountKnown"_s);
    knownBox_->addItem(u"New account"_s);
    knownBox_->hide();
    connect(knownBox_, &QComboBox::activated, this, [this](int index) {
        if (index <= 0 || index > knownAccounts_.size()) {
            known_ = {};
            forget_->hide();
            server_->clear();
            user_->clear();
            password_->clear();
            password_->setPlaceholderText({});
            server_->setFocus();
            return;
        }
        setAccount(knownAccounts_[index - 1]);
    });

    auto* form = new QFormLayout;
    form->addRow(u"Account:"_s, knownBox_);
    form->addRow(u"Server:"_s, server_);
    form->addRow(u"User name:"_s, user_);
    form->addRow(u"Password:"_s, password_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    forget_ = buttons->addButton(u"Forget this account"_s, QDialogButtonBox::DestructiveRole);
    forget_->setObjectName(u"accountForget"_s);
    forget_->hide();
    connect(forget_, &QPushButton::clicked, this, [this] {
        const PortalAccount account = known_;
        reject();
        Q_EMIT forgetRequested(account);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &AccountDialog::tryAccept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
}

void AccountDialog::setAccount(const PortalAccount& account) {
    known_ = PortalAccount{account.server, account.user, {}};
    forget_->show();
    server_->setText(account.server.toString());
    user_->setText(account.user);
    password_->clear();
    password_->setPlaceholderText(isKnown(known_) ? u"the kept password"_s : QString());
    password_->setFocus();
    const auto at = knownAccounts_.indexOf(known_);
    knownBox_->setCurrentIndex(at < 0 ? 0 : int(at) + 1);
}

void AccountDialog::setKnownAccounts(const QList<PortalAccount>& accounts) {
    knownAccounts_.clear();
    while (knownBox_->count() > 1) {
        knownBox_->removeItem(1);
    }
    for (const PortalAccount& account : accounts) {
        if (account.isValid()) {
            knownAccounts_.append(PortalAccount{account.server, account.user, {}});
            knownBox_->addItem(account.address());
        }
    }
    knownBox_->setVisible(!knownAccounts_.isEmpty());
    const auto at = knownAccounts_.indexOf(known_);
    knownBox_->setCurrentIndex(at < 0 ? 0 : int(at) + 1);
}

bool AccountDialog::isKnown(const PortalAccount& account) const {
    return knownAccounts_.contains(PortalAccount{account.server, account.user, {}});
}

QString AccountDialog::problem() const {
    if (!serverOf(server_->text()).isValid()) {
        return u"The server is no http or https address (http://host:port)."_s;
    }
    if (user_->text().trimmed().isEmpty()) {
        return u"The user name is missing."_s;
    }
    if (password_->text().isEmpty() && !isKnown(account())) {
        return u"The password is missing."_s;
    }
    return {};
}

PortalAccount AccountDialog::account() const {
    return PortalAccount{serverOf(server_->text()), user_->text().trimmed(), password_->text()};
}

void AccountDialog::tryAccept() {
    const QString why = problem();
    if (!why.isEmpty()) {
        problem_->setText(why);
        problem_->show();
        return;
    }
    const PortalAccount chosenAccount = account();
    password_->clear(); // nothing of it stays in the dialog
    accept();
    Q_EMIT chosen(chosenAccount);
}

} // namespace orvanto
