#pragma once

namespace orvanto {

// The remote-control strip: the part of the window right of the player, cut off by one label
// and restored by the other. Each label is shown only in the state where its click applies.
class WindowStrip {
public:
    static constexpr int StartWidth = 9600;  // twips, set at start-up
    static constexpr int NarrowWidth = 5030; // keeps the player column and the restore label
    static constexpr int WideWidth = 8000;   // after restoring: not the width of start-up
    static constexpr int AlarmWidth = 8025;  // when the alarm rings (its indicator: WideWidth)

    struct State {
        int widthTwips;
        bool cutOffLabel;  // Label5, " <-"
        bool restoreLabel; // Label3, " ->"
    };

    static constexpr State cutOff() { return {NarrowWidth, false, true}; }
    static constexpr State restore() { return {WideWidth, true, false}; }
};

} // namespace orvanto
