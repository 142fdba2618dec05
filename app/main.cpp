// The composition root: reads the command line, builds the real collaborators, connects them
// and shows the window.

#include "alarm/AlarmWiring.h"
#include "app/CommandLine.h"
#include "catalogue/BuiltinStations.h"
#include "catalogue/Catalogue.h"
#include "core/QtMessageSink.h"
#include "core/QtTicker.h"
#include "lock/AdultButtons.h"
#include "lock/ParentalLock.h"
#include "lock/PasswordInputBox.h"
#include "net/PlaylistLoader.h"
#include "net/StartPage.h"
#include "orvanto/Version.h"
#include "playback/FailoverPlayer.h"
#include "playback/VlcPlayer.h"
#include "shortcuts/DesktopUrlOpener.h"
#include "shortcuts/WebShortcuts.h"
#include "window/Form1.h"
#include "window/FormControls.h"
#include "window/StationPages.h"

#include <QApplication>
#include <QTimer>
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
    // The start page request waits until the window is up: bringing up the network stack takes
    // some 25 ms that the window's first appearance need not wait for.
    static constexpr int StartPageDelayMs = 300;

    Viewer() : failover_(catalogue_, player_, ticker_, messages_) {}

    Catalogue& catalogue() { return catalogue_; }

    void start(const StationRegistrations& registrations) {
        form_ = std::make_unique<Form1>(catalogue_, failover_, player_, player_.videoWidget());
        form_->load(registrations);
        FormControls& controls = form_->controls();
        messages_.setWindow(controls.window());

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
        QTimer::singleShot(StartPageDelayMs, form_.get(), [this] { StartPage::request(*form_); });
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
    QApplication::setApplicationVersion(QString::fromLatin1(Version));

    Viewer viewer;
    PlaylistLoader loader;
    if (commandLine.playlist.isEmpty()) {
        viewer.start(builtinStationRegistrations());
    } else {
        loader.setReservedNames(lockedStationNames());
        QObject::connect(&loader, &PlaylistLoader::finished, [&](const PlaylistReport& report) {
            viewer.start(report.accepted ? adultStationRegistrations()
                                         : builtinStationRegistrations());
            if (!report.message.isEmpty()) {
                viewer.showError(report.message);
            }
        });
        loader.load(commandLine.playlist, viewer.catalogue());
    }
    return QApplication::exec();
}
