#pragma once

#include <span>

namespace orvanto {

// One control of the main window as laid out at design time. Positions and sizes are in twips,
// relative to the container's top-left corner; colours are 0xRRGGBB or NoColour.
struct ControlDesign {
    enum class Kind {
        Label,   // a text label (clickable)
        Button,  // a push button
        Option,  // a round option button
        Check,   // a check box
        Combo,   // an editable drop-down list
        Frame,   // a frame with a caption, holding other controls
        Line,    // a thin line; Width is its length, the line colour is Background
        Picture, // a picture box showing the window's icon
        Image,   // an image shown at its natural size
        Player,  // the media player area
    };

    // The few faces the layout uses; Default is the window's font.
    enum class Font { Default, MsSerif675, CourierNew24, TimesNewRoman2025 };

    enum Flag : unsigned {
        None = 0,
        Hidden = 1u << 0,      // not visible when the window opens
        Transparent = 1u << 1, // labels: no background of their own
        Bold = 1u << 2,
        Italic = 1u << 3,
        HandPointer = 1u << 4,
        Centred = 1u << 5,
        Selected = 1u << 6, // option buttons: chosen when the window opens
    };

    static constexpr int NoColour = -1;
    static constexpr int NoIndex = -1;

    const char* name;
    int index; // element of a control array, or NoIndex
    Kind kind;
    const char* container; // "" for the window itself
    int left;
    int top;
    int width;
    int height;
    const char* caption;
    const char* tooltip;
    int foreground;
    int background;
    Font font;
    unsigned flags;

    bool has(Flag flag) const { return (flags & flag) != 0; }
};

// The window itself at design time.
namespace WindowDesign {
inline constexpr int Background = 0x80FFFF;
inline constexpr int ClientWidth = 14250; // wider and taller than the window at run time: the
inline constexpr int ClientHeight = 9585; // station panel is parked outside until start-up
} // namespace WindowDesign

// Every control of the main window, containers before their contents, in drawing order (a
// later control lies above an earlier one).
std::span<const ControlDesign> windowLayout();

// A control of the layout by name and array index (NoIndex for none).
struct ControlRef {
    const char* name;
    int index;
};

// The name a screen reader gives a control, where its caption does not say what it is.
struct ControlName {
    const char* name;
    int index;
    const char* accessibleName;
};
std::span<const ControlName> accessibleNames();

// The order Tab moves through the window's controls in; "WMPTV" stands for the player area's
// own controls.
std::span<const ControlRef> tabOrder();

} // namespace orvanto
