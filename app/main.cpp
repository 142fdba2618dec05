// The composition root: reads the command line, builds the real collaborators, connects them
// and shows the window.

#include "alarm/AlarmWiring.h"
#include "catalogue/BuiltinStations.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CommandLine.h"
#include "catalogue/PlaylistLoader.h"
#include "lock/AdultButtons.h"
#include "lock/ParentalLock.h"
#include "lock/PasswordInputBox.h"
#include "playback/FailoverPlayer.h"
#include "playback/QtMessageSink.h"
#include "playback/QtTicker.h"
#include "playback/VlcPlayer.h"
#include "shortcuts/DesktopUrlOpener.h"
#include "shortcuts/WebShortcuts.h"
#include "window/Form1.h"
#include "window/FormControls.h"
#include "window/StationPages.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace {

using namespace orvanto;

// The locked stations' names, which a user's playlist may not take over.
QStringList lockedStationNames() {
    Catalogue scratch;
    RegisterAdultStations(scratch);
    QStringList names;
    for (const Station& station : scratch) {
        names << station.Name;
    }
    return names;
}

// Everything the running viewer is made of. Members are destroyed in reverse order, so the
// window and its bindings go before the player they use.
class Viewer {
public:
    Viewer() : failover_(catalogue_, player_, ticker_, messages_) {}

    Catalogue& catalogue() { return catalogue_; }

    void start(const StationRegistrations& registrations) {
        form_ = std::make_unique<Form1>(catalogue_, failover_, player_, player_.videoWidget());
        form_->load(registrations);
        FormControls& controls = form_->controls();
        messages_.setParent(controls.window());

        prompt_ = std::make_unique<QtPasswordPrompt>(controls.window());
        lock_ = std::make_unique<ParentalLock>(*prompt_, messages_, failover_);
        shortcuts_ = std::make_unique<WebShortcuts>(opener_, messages_);
        alarm_ = std::make_unique<AlarmWiring>(controls, player_, failover_);
        const QStringList unbound =
            BindAdultButtons(controls, *lock_) + BindWebShortcuts(controls, *shortcuts_);
        for (const QString& name : unbound) {
            qWarning("orvanto-tv: control %s could not be bound", qUtf8Printable(name));
        }
        form_->show();
    }

    void showError(const QString& text) {
        messages_.showMessage(QStringLiteral("Lathos"), text, MessageSink::Icon::Exclamation);
    }

private:
    Catalogue catalogue_;
    VlcPlayer player_;
    QtTicker ticker_;
    QtMessageSink messages_;
    FailoverPlayer failover_;
    DesktopUrlOpener opener_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<QtPasswordPrompt> prompt_;
    std::unique_ptr<ParentalLock> lock_;
    std::unique_ptr<WebShortcuts> shortcuts_;
    std::unique_ptr<AlarmWiring> alarm_;
};

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    // Before QApplication, so that --help and --version need no display.
    const CommandLine commandLine = parseCommandLine(arguments);
    if (!commandLine.run) {
        std::fputs(commandLine.standardOutput.toLocal8Bit().constData(), stdout);
        std::fputs(commandLine.standardError.toLocal8Bit().constData(), stderr);
        return commandLine.exitCode;
    }

    // The video surface is a native window; its sibling controls need not be.
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    // No application display name: Qt would append it to every window's title.
    QApplication::setApplicationName(QStringLiteral("orvanto-tv"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANTO_VERSION));

    Viewer viewer;
    PlaylistLoader loader;
    if (commandLine.playlist.isEmpty()) {
        viewer.start(builtinStationRegistrations());
    } else {
        loader.setReservedNames(lockedStationNames());
        QObject::connect(&loader, &PlaylistLoader::finished, [&](const PlaylistReport& report) {
            StationRegistrations registrations = builtinStationRegistrations();
            if (report.accepted) {
                registrations.regular = [](Catalogue&) {}; // the playlist's stations are in
            }
            viewer.start(registrations);
            if (!report.message.isEmpty()) {
                viewer.showError(report.message);
            }
        });
        loader.load(commandLine.playlist, viewer.catalogue());
    }
    return QApplication::exec();
}
