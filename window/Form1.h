#pragma once

#include "catalogue/Favourites.h"
#include "window/StationPages.h"
#include "window/StationTips.h"
#include "window/WindowStrip.h"

#include <QWidget>

class QTimer;

namespace orvanto {

class ArchiveControls;
class ArchivePlayback;
class Catalogue;
class ChannelBrowser;
class FailoverPlayer;
class FormControls;
class MediaPlayer;
class PlayerArea;
class WindowControls;

// The program's one window. It lays out its controls from the layout table and wires them to
// the logic: station pages, the player's control bar, the strip, the clock and full screen.
// Closing it ends the program.
class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClockIntervalMs = 1000;
    static constexpr int StartHeight = 9300; // twips, outer size
    static constexpr int StationPanelLeft = 5040;
    static constexpr int StationPanelTop = 360;

    // `videoSurface` is the widget the player draws into; it becomes the player area's video.
    // Without one the player area shows black.
    Form1(Catalogue& catalogue, FailoverPlayer& failover, MediaPlayer& player,
          QWidget* videoSurface, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: completes the window's initial state and builds the station catalogue. Runs
    // once, before the window is shown; the clock runs from its end.
    void load(const StationRegistrations& registrations = builtinStationRegistrations());

    // Every control by name, the window and its size: for the parts that drive controls of
    // their own.
    FormControls& controls();
    WindowControls& windowControls() { return *controls_; }
    PlayerArea& playerArea() { return *playerArea_; }
    // The station pages: which stations they show, in order.
    const StationPages& pages() const { return pages_; }

    // The channels pinned to the station pages; while there are any, the pages show them
    // instead of the first stations.
    const Favourites& favourites() const { return favourites_; }
    void setFavourites(const QStringList& names);
    bool pinFavourite(const QString& name);
    bool unpinFavourite(const QString& name);

    // Shows another list's stations: rebuilds the catalogue's pages as load() does (the
    // catalogue already holds the new list), drops the favourites and lists the new channels in
    // the browser. What plays keeps playing.
    void reload(const StationRegistrations& registrations);

    // Shows the channel browser (Ctrl+F), creating it on first use.
    void openChannelBrowser();
    // A line about the list on show for the browser (a provider account's state); empty: none.
    void setListNote(const QString& note);
    // The browser, once it has been opened; nullptr before.
    ChannelBrowser* channelBrowser() const { return browser_; }
    // The channels of the list on show (the catalogue's first stations), locked ones apart.
    int channelCount() const { return pages_.regularCount(); }

    // Where past programmes play from: their position, seeking and the way back to live in the
    // window while one plays. `archive` must outlive the window.
    void setArchive(ArchivePlayback& archive);
    ArchiveControls* archiveControls() const { return archiveControls_; }

    // Actions on what plays (recording it) that the video's context menu offers first.
    void addPlayerActions(const QList<QAction*>& actions);

    // What a station button's tooltip says, asked for when it is about to show.
    void setStationTips(StationTips::Provider provider) { tips_->setProvider(std::move(provider)); }

Q_SIGNALS:
    void favouritesChanged(const QStringList& names);
    // The user asked for another channel list (Ctrl+O, Ctrl+L or a drop): a path or an address.
    void listRequested(const QString& source);
    // The user asked to open a provider account ("Account...").
    void accountRequested();
    // The channel browser has just been made; it is shown next.
    void channelBrowserCreated(orvanto::ChannelBrowser* browser);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Page Up and Page Down step through the station pages, M mutes; only keys that no control
    // of the window has taken arrive here.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void wireControls();
    void buildStationList(const StationRegistrations& registrations);
    void showStations(const QStringList& names);
    void showPages(int pagesInUse);
    void applyFavourites();
    void onStationButton(int index);
    void onPageOption(int index);
    void stepPage(int step);
    void applyStrip(const WindowStrip::State& state);
    void onClockTick();
    void onFullScreenLabel();
    void setAlarmControlsVisible(bool visible);
    void showNowPlaying();

    Catalogue& catalogue_;
    FailoverPlayer& failover_;
    MediaPlayer& player_;
    StationPages pages_;
    Favourites favourites_;
    int currentPage_ = 0;
    ChannelBrowser* browser_ = nullptr;
    QString listNote_;
    StationTips* tips_ = nullptr;
    WindowControls* controls_ = nullptr;
    PlayerArea* playerArea_ = nullptr;
    ArchiveControls* archiveControls_ = nullptr;
    QList<QAction*> windowActions_; // the video menu's window-level actions
    // The clock, Timer1. The station watch timer of the original design, whose tick does
    // nothing, is not kept: the player notifies every change of state by itself.
    QTimer* clock_ = nullptr;
};

} // namespace orvanto
