#pragma once

// The viewer on a real X display and on a private session bus, with its MPRIS player and its
// screensaver hold as the program builds them, beside a stand-in screensaver service.

#include "BusTools.h"
#include "DesktopViewer.h"
#include "desktop/DesktopServices.h"

#include <QDBusConnection>
#include <memory>

namespace orvanto::test {

class CitizenDesktop : public DesktopViewer {
protected:
    // `portal`: the stand-in offers the desktop portal's Inhibit too.
    void startServices(bool portal = false) {
        standIn = std::make_unique<ScreenSaverStandIn>(portal);
        ASSERT_TRUE(standIn->isReady());
        desktop = std::make_unique<DesktopServices>(*form, failover, player, catalogue,
                                                    QDBusConnection::sessionBus());
        ASSERT_FALSE(desktop->mprisService().serviceName().isEmpty());
    }

    std::unique_ptr<ScreenSaverStandIn> standIn;
    std::unique_ptr<DesktopServices> desktop;
};

} // namespace orvanto::test
