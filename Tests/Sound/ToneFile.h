#pragma once

#include <string>

namespace Morvane::Testing
{
// Writes a 441 Hz sine of constant amplitude as 16-bit WAV and returns `path`.
std::string WriteTone(const std::string& path, float seconds, float amplitude, int channels = 1,
                      int sampleRate = 44100);
} // namespace Morvane::Testing
