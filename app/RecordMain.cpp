#include "app/RecordMain.h"

#include "app/RecordCommand.h"
#include "check/InterruptWatch.h"

#include <QApplication>
#include <cstdio>

namespace orvanto {

int runRecord(int argc, char** argv, const RecordOptions& options) {
    // No display: the player's video widget lives on Qt's offscreen platform, and shows nothing.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvanto-tv"));
    int status = 0;
    {
        RecordCommand command(options);
        InterruptWatch interrupts;
        QObject::connect(&interrupts, &InterruptWatch::interrupted, &command,
                         &RecordCommand::interrupt);
        QObject::connect(&command, &RecordCommand::finished, &app,
                         [](int code) { QCoreApplication::exit(code); });
        command.start();
        status = QApplication::exec();
    }
    std::fflush(nullptr);
    return status;
}

} // namespace orvanto
