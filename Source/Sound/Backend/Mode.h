#pragma once

#include <cstdint>

namespace Morvane::Audio::Backend
{
// Sound and channel mode bits (combined with |).
using Mode = std::uint32_t;

inline constexpr Mode kModeLoopOff = 0x1;
inline constexpr Mode kModeLoopNormal = 0x2;
inline constexpr Mode kMode2D = 0x8;
inline constexpr Mode kMode3D = 0x10;
// Accepted for compatibility with older data; has no effect.
inline constexpr Mode kModeHardware = 0x20;
// Full level inside the minimum distance, falling linearly to silence at the maximum distance.
// Without it a 3D channel falls off as minimum distance / distance.
inline constexpr Mode kMode3DLinearRolloff = 0x200000;

// Output kinds for Output::SetOutput.
enum class OutputType
{
    // The driver chosen by SetDriver (the first one by default).
    Automatic,
    // Nothing is heard, but playback advances with the clock (rendered into memory on Update).
    NoSound,
};
} // namespace Morvane::Audio::Backend
