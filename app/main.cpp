// The composition root: reads the command line, builds the real collaborators, connects them
// and shows the window.

#include "AfterFirstPaint.h"
#include "alarm/AlarmWiring.h"
#include "app/BrowserCheck.h"
#include "app/CheckMain.h"
#include "app/CommandLine.h"
#include "app/GuideWiring.h"
#include "app/ListOpener.h"
#include "app/ViewerSettings.h"
#include "catalogue/BuiltinStations.h"
#include "catalogue/Catalogue.h"
#include "catalogue/PlaylistSource.h"
#include "check/ListCheck.h"
#include "check/VlcProbe.h"
#include "core/Clock.h"
#include "core/QtMessageSink.h"
#include "core/QtTicker.h"
#include "core/SteadyClock.h"
#include "guide/GuideService.h"
#include "lock/AdultButtons.h"
#include "lock/ParentalLock.h"
#include "lock/PasswordInputBox.h"
#include "net/PlaylistLoader.h"
#include "net/StartPage.h"
#include "net/StreamSniffer.h"
#include "orvanto/Version.h"
#include "playback/FailoverPlayer.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "shortcuts/DesktopUrlOpener.h"
#include "shortcuts/WebShortcuts.h"
#include "window/Form1.h"
#include "window/FormControls.h"
#include "window/PlayerArea.h"
#include "window/StationPages.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

using namespace orvanto;
using namespace Qt::Literals::StringLiterals;

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

// How a list that loaded is remembered: a file by its absolute path, so that it is found again
// from any working folder, an address as it is.
QString savedListName(const QString& source) {
    const QUrl location = playlistLocation(source);
    return location.isLocalFile() ? location.toLocalFile() : location.toString();
}

// Everything the running viewer is made of. Members are destroyed in reverse order, so the
// window and its bindings go before the player they use.
class Viewer {
public:
    // The start page request waits until the window is up: bringing up the network stack takes
    // some 25 ms that the window's first appearance need not wait for.
    static constexpr int StartPageDelayMs = 300;

    explicit Viewer(ViewerSettings& settings)
        : failover_(catalogue_, player_, ticker_, messages_), settings_(settings) {}

    Catalogue& catalogue() { return catalogue_; }
    MediaPlayer& player() { return player_; }
    Form1& form() { return *form_; }
    ListOpener& lists() { return *lists_; }

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
        lists_ = std::make_unique<ListOpener>(catalogue_, *form_, failover_, player_, messages_);
        lists_->setLockedStations(adultStationRegistrations(), lockedStationNames());
        QObject::connect(form_.get(), &Form1::listRequested, lists_.get(), &ListOpener::open);
        const QString checks =
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + u"/checks"_s;
        browserCheck_ =
            std::make_unique<BrowserCheck>(*form_, catalogue_, listCheck_, CheckCache(checks));
        guide_ =
            std::make_unique<GuideWiring>(*form_, catalogue_, guideService_, settings_, clock_);
        form_->show();
        // libVLC comes up once the window is on the screen; a station picked before then
        // opens as soon as the engine is there, with the volume already chosen.
        new AfterFirstPaint(controls.window(), [this] { startEngine(); });
        QTimer::singleShot(StartPageDelayMs, form_.get(), [this] { StartPage::request(*form_); });
    }

    // The list named `list` is on show.
    void showList(const QString& list) {
        browserCheck_->showList(list);
        guide_->showList(list);
    }

    void showError(const QString& text) {
        messages_.showMessage(QStringLiteral("Lathos"), text, MessageSink::Icon::Exclamation);
    }

private:
    void startEngine() {
        VlcEngine::Options options;
        // libVLC draws into our window on X11 only.
        options.noVideo = QGuiApplication::platformName() != QLatin1String("xcb");
        player_.attach(std::make_unique<VlcEngine>(options), std::make_unique<StreamSniffer>());
    }

    Catalogue catalogue_;
    VlcPlayer player_;
    QtTicker ticker_;
    QtMessageSink messages_;
    FailoverPlayer failover_;
    SystemSteadyClock steady_;
    SystemClock clock_;
    QtTicker checkTicker_{100};
    ListCheck listCheck_{[] { return std::make_unique<VlcProbe>(); }, checkTicker_, steady_, clock_,
                         CheckRun::Options{}};
    DesktopUrlOpener opener_;
    ViewerSettings& settings_;
    GuideService guideService_{QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                               QStringLiteral("/guides")};
    std::unique_ptr<Form1> form_;
    std::unique_ptr<QtPasswordPrompt> prompt_;
    std::unique_ptr<ParentalLock> lock_;
    std::unique_ptr<WebShortcuts> shortcuts_;
    std::unique_ptr<AlarmWiring> alarm_;
    std::unique_ptr<ListOpener> lists_;
    std::unique_ptr<BrowserCheck> browserCheck_;
    std::unique_ptr<GuideWiring> guide_;
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
    if (commandLine.check.wanted) {
        return runCheck(argc, argv, commandLine.check);
    }

    // The video surface is a native window; its sibling controls need not be.
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    // No application display name: Qt would append it to every window's title.
    QApplication::setApplicationName(QStringLiteral("orvanto-tv"));
    QApplication::setApplicationVersion(QString::fromLatin1(Version));

    ViewerSettings settings(ViewerSettings::defaultPath());
    if (!settings.warning().isEmpty()) {
        std::fprintf(stderr, "orvanto-tv: %s\n", qUtf8Printable(settings.warning()));
    }

    Viewer viewer(settings);
    const std::optional<int> savedVolume = settings.volume();
    if (savedVolume) {
        viewer.player().setVolume(*savedVolume);
    }
    const int startVolume = viewer.player().volume();
    // The list on show (its saved name, or the built-in stations') and its favourites.
    QString shownList = ViewerSettings::BuiltinList;
    auto showList = [&](const QString& list) {
        shownList = list;
        viewer.form().setFavourites(settings.favourites(list));
        viewer.showList(list);
    };
    auto rememberChoices = [&] {
        QObject::connect(&viewer.form(), &Form1::favouritesChanged, [&](const QStringList& names) {
            settings.setFavourites(shownList, names);
            settings.save();
        });
        QObject::connect(&viewer.lists(), &ListOpener::opened, [&](const QString& source) {
            settings.setLastList(savedListName(source));
            settings.save();
            showList(savedListName(source));
        });
    };

    // A list on the command line, or else the one opened last time.
    const QString list =
        commandLine.playlist.isEmpty() ? settings.lastList() : commandLine.playlist;
    PlaylistLoader loader;
    if (list.isEmpty()) {
        viewer.start(builtinStationRegistrations());
        showList(ViewerSettings::BuiltinList);
        rememberChoices();
    } else {
        loader.setReservedNames(lockedStationNames());
        QObject::connect(&loader, &PlaylistLoader::finished, [&](const PlaylistReport& report) {
            viewer.start(report.accepted ? adultStationRegistrations()
                                         : builtinStationRegistrations());
            QString shown = ViewerSettings::BuiltinList;
            if (report.accepted) {
                shown = savedListName(list);
                settings.setLastList(shown);
                settings.save();
            }
            showList(shown);
            rememberChoices();
            if (!report.message.isEmpty()) {
                viewer.showError(report.message);
            }
        });
        loader.load(list, viewer.catalogue());
    }
    const int exitCode = QApplication::exec();
    // Nothing is written for a user who never touched the volume.
    const int volume = viewer.player().volume();
    if (savedVolume || volume != startVolume) {
        settings.setVolume(volume);
    }
    settings.save();
    return exitCode;
}
