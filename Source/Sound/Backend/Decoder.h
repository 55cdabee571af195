#pragma once

#include "Sound/Backend/DecodedSound.h"
#include "Sound/Backend/Result.h"

#include <string>

namespace Morvane::Audio::Backend
{
// Reads a whole audio file (WAV, OGG Vorbis, FLAC, ...) into memory. Touches no audio output, so any
// thread may decode.
class Decoder
{
public:
    // Upper bound on decoded samples (all channels): ten minutes of 48 kHz stereo.
    static constexpr std::size_t kMaxSamples = std::size_t{10} * 60 * 48000 * 2;

    // Files with more than two channels, and every file when `mixToMono` is set, come out as one
    // channel (positioned sounds need a single channel).
    static Result Decode(const std::string& path, bool mixToMono, DecodedSound& decoded);
    static void MixToMono(DecodedSound& decoded);
};
} // namespace Morvane::Audio::Backend
