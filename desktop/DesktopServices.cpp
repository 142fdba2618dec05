#include "desktop/DesktopServices.h"

#include "playback/MediaPlayer.h"
#include "window/Form1.h"
#include "window/PlayerArea.h"

namespace orvanto {

namespace {
const QString Reason = QStringLiteral("Playing video");
} // namespace

DesktopServices::DesktopServices(Form1& form, FailoverPlayer& failover, MediaPlayer& player,
                                 const Catalogue& catalogue, const QDBusConnection& bus,
                                 ProgrammeNow* guide, ArchivePlayback* archive, Recorder* recorder,
                                 LivePause* livePause)
    : mpris_({.player = player,
              .failover = failover,
              .transport = form.playerArea().transport(),
              .catalogue = catalogue,
              .pages = form.pages(),
              .window = form,
              .guide = guide,
              .archive = archive,
              .recorder = recorder,
              .livePause = livePause}),
      service_(mpris_, bus), screenSaver_(bus, QStringLiteral("orvanto-tv"), Reason),
      portal_(bus, Reason), hold_({&screenSaver_, &portal_}) {
    QObject::connect(&player, &MediaPlayer::pictureChanged, &mpris_,
                     [this](bool showing) { hold_.setWanted(showing); });
    hold_.setWanted(player.showsPicture());
}

} // namespace orvanto
