#pragma once

#include <string>
#include <vector>

namespace Morvane::StringUtilities
{
// Cuts `text` at every `separator`. Each piece, the last included, loses its leading and trailing
// spaces (' ' only) and is kept even when empty: "a; b;" split at ';' gives "a", "b" and "".
std::vector<std::string> Split(const std::string& text, const std::string& separator);
std::vector<std::string> Split(const std::string& text, char separator);

// Replaces every occurrence of `from`, going on after each inserted `to` (so `to` may contain
// `from`). An empty `from` replaces nothing.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

// `text` without its leading and trailing spaces (' ' only).
std::string TrimSpaces(const std::string& text);
} // namespace Morvane::StringUtilities
