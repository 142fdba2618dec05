#pragma once

#include <QLatin1String>
#include <QStringList>
#include <array>

namespace orvanto {

class FormControls;
class ParentalLock;

// An ADULT button of the main window and the station it opens. The station name is fixed
// here, not read from the caption (the two are equal). The control names do not follow the
// station numbers.
struct AdultButton {
    QLatin1String control;
    QLatin1String station;
};

inline constexpr std::array<AdultButton, 12> AdultButtons{{
    {QLatin1String("command100"), QLatin1String("ADULT 1")},
    {QLatin1String("Command1"), QLatin1String("ADULT 2")},
    {QLatin1String("Command3"), QLatin1String("ADULT 3")},
    {QLatin1String("Command4"), QLatin1String("ADULT 4")},
    {QLatin1String("Command5"), QLatin1String("ADULT 5")},
    {QLatin1String("Command6"), QLatin1String("ADULT 6")},
    {QLatin1String("Command8"), QLatin1String("ADULT 7")},
    {QLatin1String("Command9"), QLatin1String("ADULT 8")},
    {QLatin1String("Command10"), QLatin1String("ADULT 9")},
    {QLatin1String("Command11"), QLatin1String("ADULT 10")},
    {QLatin1String("Command12"), QLatin1String("ADULT 11")},
    {QLatin1String("Command13"), QLatin1String("ADULT 12")},
}};

// Connects each ADULT button of the window to `lock.OpenAdultStation` with its station name.
// `lock` must outlive the buttons. Returns the names of the controls that are missing or are
// not buttons (empty when all twelve are bound).
QStringList BindAdultButtons(const FormControls& controls, ParentalLock& lock);

} // namespace orvanto
