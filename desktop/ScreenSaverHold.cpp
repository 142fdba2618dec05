#include "desktop/ScreenSaverHold.h"

#include "desktop/InhibitService.h"

#include <algorithm>

namespace orvanto {

ScreenSaverHold::ScreenSaverHold(std::vector<InhibitService*> services) {
    for (InhibitService* service : services) {
        services_.push_back(Service{service, Service::Stage::Idle, {}});
    }
}

ScreenSaverHold::~ScreenSaverHold() {
    for (Service& s : services_) {
        if (s.stage == Service::Stage::Held) {
            s.service->releaseNow(s.hold);
        }
    }
}

bool ScreenSaverHold::isHeld() const {
    return std::any_of(services_.begin(), services_.end(),
                       [](const Service& s) { return s.stage == Service::Stage::Held; });
}

void ScreenSaverHold::setWanted(bool wanted) {
    if (wanted == wanted_) {
        return;
    }
    wanted_ = wanted;
    for (size_t i = 0; i < services_.size(); ++i) {
        Service& s = services_[i];
        if (wanted && s.stage == Service::Stage::Idle) {
            s.stage = Service::Stage::Asking;
            const std::weak_ptr<bool> alive = alive_;
            s.service->inhibit([this, alive, i](const QVariant& hold) {
                if (!alive.expired()) {
                    answered(i, hold);
                }
            });
        } else if (!wanted && s.stage == Service::Stage::Held) {
            s.service->release(s.hold);
            s.stage = Service::Stage::Idle;
            s.hold = {};
        }
        // Asking: the answer decides (answered()).
    }
}

void ScreenSaverHold::answered(size_t index, const QVariant& hold) {
    Service& s = services_[index];
    if (s.stage != Service::Stage::Asking) {
        return;
    }
    if (!hold.isValid()) {
        s.stage = Service::Stage::Idle;
        return;
    }
    if (!wanted_) {
        s.service->release(hold); // granted too late
        s.stage = Service::Stage::Idle;
        return;
    }
    s.stage = Service::Stage::Held;
    s.hold = hold;
}

} // namespace orvanto
