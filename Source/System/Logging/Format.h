#pragma once

#include <string>

namespace Morvane
{
// Longest text Format produces; longer results are cut at this length.
inline constexpr std::size_t kMaxFormattedLength = 20470;

// printf-style formatting into a new string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
} // namespace Morvane
