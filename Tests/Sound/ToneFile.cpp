#include "ToneFile.h"

#include <cmath>
#include <numbers>
#include <sndfile.h>
#include <stdexcept>
#include <vector>

namespace Morvane::Testing
{
std::string WriteTone(const std::string& path, float seconds, float amplitude, int channels, int sampleRate)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
    {
        throw std::runtime_error("cannot write " + path);
    }
    const auto frames = static_cast<std::size_t>(seconds * static_cast<float>(sampleRate));
    std::vector<float> samples(frames * static_cast<std::size_t>(channels));
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        const double phase = 2.0 * std::numbers::pi * 441.0 * static_cast<double>(frame) / sampleRate;
        for (int c = 0; c < channels; ++c)
        {
            samples[frame * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                amplitude * static_cast<float>(std::sin(phase));
        }
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    return path;
}
} // namespace Morvane::Testing
