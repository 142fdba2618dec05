#include "app/CheckMain.h"

#include "app/AccountPassword.h"
#include "check/CheckCommand.h"
#include "check/CheckOptions.h"
#include "check/InterruptWatch.h"
#include "check/VlcProbe.h"
#include "desktop/SecretStores.h"
#include "net/PortalAccount.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace orvanto {

int runCheck(int argc, char** argv, const CheckOptions& options) {
    QCoreApplication app(argc, argv); // no display: works over ssh and in CI
    QCoreApplication::setApplicationName(QStringLiteral("orvanto-tv"));
    int status = 0;
    {
        // A password piped in is the one meant; on a terminal the secret store is asked first,
        // then the user.
        CheckOptions own = options;
        const bool piped = isatty(STDIN_FILENO) != 1;
        if (isAccountAddress(own.list) && piped) {
            const PortalAccount account = parseAccountAddress(own.list);
            if (account.isValid() && account.password.isEmpty()) {
                own.password = readAccountPassword(account.address());
            }
        }
        const std::unique_ptr<SecretStore> secrets =
            desktopSecretStore(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
                               QStringLiteral("/secrets.conf"));
        CheckCommand command(own, [] { return std::make_unique<VlcProbe>(); });
        if (!piped) {
            command.setSecrets(secrets.get());
            command.setPasswordPrompt(
                [](const QString& address) { return readAccountPassword(address); });
        }
        InterruptWatch interrupts;
        QObject::connect(&interrupts, &InterruptWatch::interrupted, &command,
                         &CheckCommand::interrupt);
        QObject::connect(&command, &CheckCommand::finished, &app,
                         [](int code) { QCoreApplication::exit(code); });
        command.start();
        status = QCoreApplication::exec();
    }
    // Everything is said and written. A name lookup that the resolver never answered still
    // holds one of Qt's threads until the resolver gives up (half a minute or more), and the
    // application would wait for it on the way out: leave without that wait.
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace orvanto
