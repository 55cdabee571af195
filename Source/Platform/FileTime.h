#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace Morvane::Platform
{
// Last-write time of a file in 100-nanosecond units, or nothing when the file cannot be found.
std::optional<std::uint64_t> GetLastWriteTime(const std::string& path);
} // namespace Morvane::Platform
