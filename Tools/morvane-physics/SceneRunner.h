#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Morvane
{
class SystemManager;
}

namespace MorvanePhysics
{
inline constexpr float kFrameTime = 0.016f;

// 64-bit FNV-1a.
std::uint64_t Fnv1a(std::string_view text);

// One line per body in creation order, "body NAME CATEGORY px py pz vx vy vz CONTACTS", each followed
// by its contacts, "contact OTHER cx cy cz depth" (c the correction, OTHER "-" once that body is gone);
// numbers as %.9g.
std::string DescribeBodies();

// Enters every engine system, except that the window, input, graphics and audio systems are skipped
// (see SkippedSystem): scenes run without a display or a sound device.
void RegisterHeadlessSystems(Morvane::SystemManager& manager);

// Initialises the project configuration at `path`, updates its systems `frames` times with 16 ms, then
// returns the bodies' description and a last line "hash" with the 16 hex digits of its FNV-1a, and
// releases the systems. "Mesh" resources load headless (CPU data only). "$(LocalFolder)" in the
// configuration is the data folder it lies in, the folder above its own (DATA/Configuration/NAME.xml), as
// for the game, whose executable sits in its data folder. Nothing when the configuration
// fails.
std::optional<std::string> RunScene(const std::string& path, long frames, bool useGrid);
} // namespace MorvanePhysics
