#pragma once

namespace orvanto {

// Play states as a Windows Media player numbers them; the rest of the program relies on
// Stopped, Playing, Buffering and Ready.
namespace PlayState {
inline constexpr int Undefined = 0;
inline constexpr int Stopped = 1;
inline constexpr int Paused = 2;
inline constexpr int Playing = 3;
inline constexpr int ScanForward = 4;
inline constexpr int ScanReverse = 5;
inline constexpr int Buffering = 6;
inline constexpr int Waiting = 7;
inline constexpr int MediaEnded = 8;
inline constexpr int Transitioning = 9;
inline constexpr int Ready = 10;
inline constexpr int Reconnecting = 11;
} // namespace PlayState

} // namespace orvanto
