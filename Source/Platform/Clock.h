#pragma once

#include <cstdint>

namespace Morvane::Platform
{
// Milliseconds since an arbitrary origin; wraps around like a 32-bit tick counter,
// so durations must be taken as unsigned 32-bit differences.
std::uint32_t GetMilliseconds();
} // namespace Morvane::Platform
