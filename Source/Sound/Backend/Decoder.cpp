#include "Sound/Backend/Decoder.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <sndfile.h>

namespace Morvane::Audio::Backend
{
namespace
{
struct SndFileCloser
{
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFilePointer = std::unique_ptr<SNDFILE, SndFileCloser>;

std::int16_t ToSample(float value)
{
    return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}
} // namespace

Result Decoder::Decode(const std::string& path, bool mixToMono, DecodedSound& decoded)
{
    decoded = DecodedSound{};
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
    {
        return Result::ErrorFileNotFound;
    }

    SF_INFO info{};
    const SndFilePointer file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file || info.channels <= 0 || info.samplerate <= 0)
    {
        return Result::ErrorFormat;
    }

    // Frame counts in headers can lie (or be unknown for streams): read in blocks until the end.
    // Reading floats works for every sample type (integer reads of float files give silence).
    constexpr sf_count_t kBlockFrames = 4096;
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames) * info.channels);
    std::vector<std::int16_t> samples;
    for (;;)
    {
        const sf_count_t frames = sf_readf_float(file.get(), block.data(), kBlockFrames);
        if (frames <= 0)
        {
            break;
        }
        const auto count = static_cast<std::size_t>(frames) * info.channels;
        if (samples.size() + count > kMaxSamples)
        {
            return Result::ErrorFileTooLarge;
        }
        std::transform(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(count),
                       std::back_inserter(samples), ToSample);
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR || samples.empty())
    {
        return Result::ErrorFormat;
    }

    decoded.samples = std::move(samples);
    decoded.channels = info.channels;
    decoded.sampleRate = info.samplerate;
    if (mixToMono || decoded.channels > 2)
    {
        MixToMono(decoded);
    }
    return Result::Ok;
}

void Decoder::MixToMono(DecodedSound& decoded)
{
    if (decoded.channels <= 1)
    {
        return;
    }
    const std::size_t frames = decoded.GetFrameCount();
    std::vector<std::int16_t> mono(frames);
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        int sum = 0;
        for (int c = 0; c < decoded.channels; ++c)
        {
            sum += decoded.samples[frame * decoded.channels + c];
        }
        mono[frame] = static_cast<std::int16_t>(sum / decoded.channels);
    }
    decoded.samples = std::move(mono);
    decoded.channels = 1;
}
} // namespace Morvane::Audio::Backend
