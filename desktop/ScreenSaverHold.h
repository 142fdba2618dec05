#pragma once

#include <QVariant>
#include <memory>
#include <vector>

namespace orvanto {

class InhibitService;

// Holds the screensaver off through every service while wanted. The services answer later: a
// hold granted after it stopped being wanted is let go at once, and one wanted again while the
// answer is awaited is not asked for twice.
class ScreenSaverHold {
public:
    // The services outlive the hold.
    explicit ScreenSaverHold(std::vector<InhibitService*> services);
    // Lets every hold go, waiting until the services have it.
    ~ScreenSaverHold();
    ScreenSaverHold(const ScreenSaverHold&) = delete;
    ScreenSaverHold& operator=(const ScreenSaverHold&) = delete;

    void setWanted(bool wanted);
    bool isWanted() const { return wanted_; }
    // Some service holds the screensaver off.
    bool isHeld() const;

private:
    struct Service {
        enum class Stage { Idle, Asking, Held };
        InhibitService* service;
        Stage stage = Stage::Idle;
        QVariant hold;
    };
    void answered(size_t index, const QVariant& hold);

    std::vector<Service> services_;
    bool wanted_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true); // for answers after the end
};

} // namespace orvanto
