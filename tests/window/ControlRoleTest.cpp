#include "window/ControlRole.h"

#include "window/ControlDesign.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace orvanto::test {
namespace {

using Kind = ControlDesign::Kind;

// The kind of the table's control called `name`, and whether it is an array.
struct Found {
    bool exists = false;
    Kind kind = Kind::Label;
    bool array = false;
};

Found find(const QString& name) {
    Found found;
    for (const ControlDesign& design : windowLayout()) {
        if (QString::fromLatin1(design.name) == name) {
            found = {true, design.kind, design.index != ControlDesign::NoIndex};
        }
    }
    return found;
}

// Every role names a control of the layout table, of the kind the logic casts it to; a slip in
// the map would leave a click unbound or a label unwritten without any other warning.
TEST(ControlRole, EveryRoleNamesATableControlOfItsKind) {
    const struct {
        ControlRole role;
        Kind kind;
        bool array;
    } roles[] = {
        {ControlRole::StatusLabel, Kind::Label, false},
        {ControlRole::StripCutOffLabel, Kind::Label, false},
        {ControlRole::StripRestoreLabel, Kind::Label, false},
        {ControlRole::FullScreenLabel, Kind::Label, false},
        {ControlRole::ClockLabel, Kind::Label, false},
        {ControlRole::DateLabel, Kind::Label, false},
        {ControlRole::StationPanel, Kind::Frame, false},
        {ControlRole::StationButtons, Kind::Button, true},
        {ControlRole::PageOptions, Kind::Option, true},
        {ControlRole::PageCaptions, Kind::Label, true},
        {ControlRole::AlarmIndicator, Kind::Label, false},
        {ControlRole::AlarmStopButton, Kind::Button, false},
        {ControlRole::AlarmHourBox, Kind::Combo, false},
        {ControlRole::AlarmMinuteBox, Kind::Combo, false},
        {ControlRole::AlarmOnOffBox, Kind::Check, false},
        {ControlRole::AlarmPicture, Kind::Picture, false},
    };
    QStringList names;
    for (const auto& r : roles) {
        const QString name = controlName(r.role);
        const Found found = find(name);
        ASSERT_TRUE(found.exists) << name.toStdString();
        EXPECT_EQ(found.kind, r.kind) << name.toStdString();
        EXPECT_EQ(found.array, r.array) << name.toStdString();
        EXPECT_FALSE(names.contains(name)) << "two roles for " << name.toStdString();
        names << name;
    }
}

} // namespace
} // namespace orvanto::test
