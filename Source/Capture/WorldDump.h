#pragma once

#include <filesystem>
#include <string>

namespace Morvane::Capture
{
// The state a capture checks from outside, one line per thing, numbers as "%.9g" (enough to tell
// every float apart), vectors joined by ';' as in the data files:
//   Object 'NAME' position X;Y;Z rotation W;X;Y;Z scale X;Y;Z   every live object, oldest first
//   Object 'NAME'                                               one without a transform
//   Camera 'NAME' position X;Y;Z target X;Y;Z                   every camera, by name
std::string DescribeWorld();

// Writes DescribeWorld() to `path`; false (logged) when the file cannot be written.
bool WriteWorldDump(const std::filesystem::path& path);
} // namespace Morvane::Capture
