#include "app/ViewerSession.h"

#include "app/BrowserCheck.h"
#include "app/GuideWiring.h"
#include "app/ListOpener.h"
#include "app/Viewer.h"
#include "app/ViewerSettings.h"
#include "catalogue/PlaylistSource.h"
#include "playback/MediaPlayer.h"
#include "window/Form1.h"

namespace orvanto {

ViewerSession::ViewerSession(Viewer& viewer, ViewerSettings& settings, QObject* parent)
    : QObject(parent), viewer_(viewer), settings_(settings),
      shownList_(ViewerSettings::BuiltinList), savedVolume_(settings.volume()) {
    if (savedVolume_) {
        viewer_.player().setVolume(*savedVolume_);
    }
    startVolume_ = viewer_.player().volume();
}

QString ViewerSession::savedListName(const QString& source) {
    const QUrl location = playlistLocation(source);
    return location.isLocalFile() ? location.toLocalFile() : location.toString();
}

void ViewerSession::start(const QString& list) {
    viewer_.start(builtinStationRegistrations());
    showList(ViewerSettings::BuiltinList);
    connect(&viewer_.form(), &Form1::favouritesChanged, this, [this](const QStringList& names) {
        settings_.setFavourites(shownList_, names);
        settings_.save();
    });
    connect(&viewer_.lists(), &ListOpener::opened, this, [this](const QString& source) {
        const QString saved = savedListName(source);
        settings_.setLastList(saved);
        settings_.save();
        showList(saved);
    });
    viewer_.lists().setKnownAccounts(settings_.accounts());
    connect(&viewer_.lists(), &ListOpener::knownAccountsChanged, this,
            [this](const QStringList& accounts) {
                settings_.setAccounts(accounts);
                settings_.save();
            });
    connect(&viewer_.guide(), &GuideWiring::addressChosen, this,
            [this](const QString& shown, const QString& address) {
                settings_.setGuideAddress(shown, address);
                settings_.save();
            });
    const QString opening = list.isEmpty() ? settings_.lastList() : list;
    if (!opening.isEmpty()) {
        viewer_.lists().open(opening);
    }
}

void ViewerSession::showList(const QString& savedName) {
    shownList_ = savedName;
    viewer_.form().setFavourites(settings_.favourites(savedName));
    viewer_.browserCheck().showList(savedName);
    viewer_.guide().showList(savedName, settings_.guideAddress(savedName));
}

void ViewerSession::finish() {
    const int volume = viewer_.player().volume();
    if (savedVolume_ || volume != startVolume_) {
        settings_.setVolume(volume);
    }
    settings_.save();
}

} // namespace orvanto
