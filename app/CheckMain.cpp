#include "app/CheckMain.h"

#include "check/CheckCommand.h"
#include "check/CheckOptions.h"
#include "check/InterruptWatch.h"
#include "check/VlcProbe.h"

#include <QCoreApplication>

namespace orvanto {

int runCheck(int argc, char** argv, const CheckOptions& options) {
    QCoreApplication app(argc, argv); // no display: works over ssh and in CI
    QCoreApplication::setApplicationName(QStringLiteral("orvanto-tv"));
    CheckCommand command(options, [] { return std::make_unique<VlcProbe>(); });
    InterruptWatch interrupts;
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &command, &CheckCommand::interrupt);
    QObject::connect(&command, &CheckCommand::finished, &app,
                     [](int status) { QCoreApplication::exit(status); });
    command.start();
    return QCoreApplication::exec();
}

} // namespace orvanto
