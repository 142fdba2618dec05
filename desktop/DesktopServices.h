#pragma once

#include "desktop/DBusInhibit.h"
#include "desktop/MprisPlayer.h"
#include "desktop/MprisService.h"
#include "desktop/ScreenSaverHold.h"

#include <QDBusConnection>

namespace orvanto {

class ArchivePlayback;
class Catalogue;
class FailoverPlayer;
class Form1;
class MediaPlayer;
class ProgrammeNow;
class LivePause;
class Recorder;

// The viewer on the desktop's session bus: an MPRIS player for the media keys and the shells'
// controls, and the screensaver held off while a picture shows (never for sound alone), let go
// when it ends and when the viewer quits.
class DesktopServices {
public:
    // Everything handed in outlives the services; `guide`, `archive`, `recorder` and
    // `livePause` may be null.
    DesktopServices(Form1& form, FailoverPlayer& failover, MediaPlayer& player,
                    const Catalogue& catalogue, const QDBusConnection& bus,
                    ProgrammeNow* guide = nullptr, ArchivePlayback* archive = nullptr,
                    Recorder* recorder = nullptr, LivePause* livePause = nullptr);

    MprisPlayer& mpris() { return mpris_; }
    const MprisService& mprisService() const { return service_; }
    const ScreenSaverHold& screenSaver() const { return hold_; }

private:
    MprisPlayer mpris_;
    MprisService service_;
    FreedesktopScreenSaver screenSaver_;
    PortalInhibit portal_;
    ScreenSaverHold hold_; // goes first: lets its holds go through the services above
};

} // namespace orvanto
