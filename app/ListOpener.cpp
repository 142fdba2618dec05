#include "app/ListOpener.h"

#include "catalogue/Catalogue.h"
#include "core/MessageSink.h"
#include "core/SecretStore.h"
#include "net/PlaylistLoader.h"
#include "net/PortalAccount.h"
#include "playback/FailoverPlayer.h"
#include "playback/MediaPlayer.h"
#include "window/AccountDialog.h"
#include "window/Form1.h"

#include <QPointer>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

} // namespace

ListOpener::ListOpener(Catalogue& catalogue, Form1& form, FailoverPlayer& failover,
                       MediaPlayer& player, MessageSink& messages, QObject* parent)
    : QObject(parent), catalogue_(catalogue), form_(form), failover_(failover), player_(player),
      messages_(messages) {}

ListOpener::~ListOpener() = default;

void ListOpener::start(const QString& source) {
    ++opening_;
    // Dropping the loader ends its download; its catalogue goes with it.
    loader_ = std::make_unique<PlaylistLoader>();
    incoming_ = std::make_unique<Catalogue>();
    loader_->setReservedNames(reservedNames_);
    connect(loader_.get(), &PlaylistLoader::finished, this,
            [this, source](const PlaylistReport& report) { finish(source, report); });
}

void ListOpener::open(const QString& source) {
    if (!isAccountAddress(source)) {
        start(source);
        loader_->load(source, *incoming_);
        return;
    }
    const PortalAccount account = parseAccountAddress(source);
    if (!account.isValid() || !account.password.isEmpty() || secrets_ == nullptr) {
        if (account.isValid() && account.password.isEmpty()) {
            askAccount(&account);
            return;
        }
        start(source);
        loader_->load(source, *incoming_); // says what is wrong with it
        return;
    }
    loader_.reset(); // a load under way ends: this one replaces it
    const quint64 opening = ++opening_;
    QPointer<ListOpener> self(this);
    secrets_->read(account.address(),
                   [self, account, opening](const QString& secret, const QString&) {
                       // A list opened while the store looked for the password has replaced this
                       // one.
                       if (!self || self->opening_ != opening) {
                           return;
                       }
                       if (secret.isEmpty()) {
                           self->askAccount(&account);
                           return;
                       }
                       PortalAccount known = account;
                       known.password = secret;
                       self->start(known.address());
                       self->loader_->loadAccount(known, *self->incoming_);
                   });
}

void ListOpener::setKnownAccounts(const QStringList& accounts) {
    knownAccounts_.clear();
    for (const QString& address : accounts) {
        if (parseAccountAddress(address).isValid() && !knownAccounts_.contains(address) &&
            knownAccounts_.size() < MaxKnownAccounts) {
            knownAccounts_.append(address);
        }
    }
}

void ListOpener::changeKnownAccounts(QStringList accounts) {
    if (accounts.size() > MaxKnownAccounts) {
        accounts.resize(MaxKnownAccounts);
    }
    if (accounts != knownAccounts_) {
        knownAccounts_ = std::move(accounts);
        Q_EMIT knownAccountsChanged(knownAccounts_);
    }
}

void ListOpener::askAccount(const PortalAccount* known) {
    auto* dialog = new AccountDialog(secrets_ != nullptr ? secrets_->place()
                                                         : u"memory only, until the viewer ends"_s,
                                     form_.window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (secrets_ != nullptr) {
        QList<PortalAccount> accounts;
        for (const QString& address : knownAccounts_) {
            accounts.append(parseAccountAddress(address));
        }
        dialog->setKnownAccounts(accounts);
    }
    const PortalAccount onShow = parseAccountAddress(shown_);
    if (known != nullptr) {
        dialog->setAccount(*known);
    } else if (onShow.isValid()) {
        dialog->setAccount(onShow);
    }
    connect(dialog, &AccountDialog::chosen, this, &ListOpener::openAccount);
    connect(dialog, &AccountDialog::forgetRequested, this, &ListOpener::forgetAccount);
    dialog->open();
}

void ListOpener::forgetAccount(const PortalAccount& account) {
    if (secrets_ == nullptr) {
        return;
    }
    QPointer<ListOpener> self(this);
    const QString address = account.address();
    secrets_->remove(address, [self, address](const QString& error) {
        if (!self) {
            return;
        }
        if (!error.isEmpty()) {
            self->messages_.showMessage(
                MessageSink::ErrorTitle(),
                u"The password of %1 could not be forgotten: %2."_s.arg(address, error),
                MessageSink::Icon::Exclamation);
            return;
        }
        QStringList accounts = self->knownAccounts_;
        accounts.removeAll(address);
        self->changeKnownAccounts(std::move(accounts));
        if (self->shown_ == address) {
            self->form_.setListNote(u"%1: its password is forgotten; it will be asked for the "
                                    u"next time the account is opened"_s.arg(address));
        }
    });
}

void ListOpener::openAccount(const PortalAccount& account) {
    if (account.password.isEmpty()) {
        open(account.address()); // with the kept password, or asked for again
        return;
    }
    if (secrets_ != nullptr) {
        QPointer<ListOpener> self(this);
        secrets_->write(account.address(), account.password, [self](const QString& error) {
            if (self && !error.isEmpty()) {
                self->messages_.showMessage(
                    MessageSink::ErrorTitle(),
                    u"The password could not be kept: %1.\n\nIt will be asked for next time."_s.arg(
                        error),
                    MessageSink::Icon::Exclamation);
            }
        });
    }
    start(account.address());
    loader_->loadAccount(account, *incoming_);
}

void ListOpener::finish(const QString& source, const PlaylistReport& report) {
    if (report.accepted) {
        allowedConnections_ = report.allowedConnections;
    }
    if (isAccountAddress(source)) {
        form_.setListNote(report.accepted ? u"%1: %2"_s.arg(source, report.account)
                                          : u"%1: %2"_s.arg(source, report.rejection));
    } else if (report.accepted) {
        form_.setListNote({});
    }
    if (!report.accepted) {
        messages_.showMessage(MessageSink::ErrorTitle(),
                              u"The playlist \"%1\" cannot be used: %2.\n\nThe channels on show "
                              u"stay."_s.arg(source, report.rejection),
                              MessageSink::Icon::Exclamation);
        return;
    }
    if (failover_.isTrying()) {
        failover_.standDown();
        player_.stop();
    }
    catalogue_ = std::move(*incoming_);
    shown_ = source;
    if (isAccountAddress(source) && secrets_ != nullptr) {
        QStringList accounts = knownAccounts_;
        accounts.removeAll(source);
        accounts.prepend(source);
        changeKnownAccounts(std::move(accounts));
    }
    form_.reload({{}, locked_.adult});
    Q_EMIT opened(source);
    if (!report.message.isEmpty()) {
        messages_.showMessage(MessageSink::ErrorTitle(), report.message,
                              MessageSink::Icon::Exclamation);
    }
}

} // namespace orvanto
