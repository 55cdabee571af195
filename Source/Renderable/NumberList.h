#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Morvane::Graphics
{
// Whitespace-separated numbers of a "Data" element's inner text, appended to `values`. On a word that
// is not a finite number (or, for indices, not an unsigned 32-bit number) false, with the word in `bad`.
// One finite float, written as C's strtof reads it (a leading '+' allowed), and nothing else.
bool ReadFloat(std::string_view word, float& value);
bool AppendFloats(std::string_view text, std::vector<float>& values, std::string& bad);
bool AppendIndices(std::string_view text, std::vector<std::uint32_t>& values, std::string& bad);
} // namespace Morvane::Graphics
