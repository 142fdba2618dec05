#include "app/CheckMain.h"

#include "app/AccountPassword.h"
#include "check/CheckCommand.h"
#include "check/CheckOptions.h"
#include "check/InterruptWatch.h"
#include "check/VlcProbe.h"
#include "net/PortalAccount.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace orvanto {

int runCheck(int argc, char** argv, const CheckOptions& options) {
    QCoreApplication app(argc, argv); // no display: works over ssh and in CI
    QCoreApplication::setApplicationName(QStringLiteral("orvanto-tv"));
    int status = 0;
    {
        CheckOptions own = options;
        if (isAccountAddress(own.list)) {
            const PortalAccount account = parseAccountAddress(own.list);
            if (account.isValid() && account.password.isEmpty()) {
                own.password = readAccountPassword(account.address());
            }
        }
        CheckCommand command(own, [] { return std::make_unique<VlcProbe>(); });
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
