#pragma once

#include <cstdint>
#include <vector>

namespace Morvane::Audio::Backend
{
// Interleaved 16-bit samples of a whole file, ready to be handed to the output.
struct DecodedSound
{
    std::vector<std::int16_t> samples;
    int channels = 0;
    int sampleRate = 0;

    std::size_t GetFrameCount() const { return channels > 0 ? samples.size() / channels : 0; }
};
} // namespace Morvane::Audio::Backend
