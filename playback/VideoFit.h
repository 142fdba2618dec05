#pragma once

namespace orvanto {

// How the picture fills the player's screen.
enum class VideoZoom {
    Fit,      // stretched to the window, keeping its proportions (the default)
    Half,     // 50 %
    Original, // 100 %: one video pixel on one screen pixel
    Double,   // 200 %
};

// The proportions the picture is shown in.
enum class AspectRatio {
    Default, // as the stream says
    FourThree,
    SixteenNine,
};

} // namespace orvanto
