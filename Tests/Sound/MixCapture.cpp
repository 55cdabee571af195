#include "MixCapture.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Morvane::Testing
{
MixCapture::MixCapture(Audio::Backend::AudioSystem& system) : m_system(system)
{
    m_system.SetClock([] { return 0u; });
}

std::vector<float> MixCapture::Render(unsigned milliseconds)
{
    std::vector<float> mix(static_cast<std::size_t>(m_system.GetSampleRate()) * milliseconds / 1000);
    if (m_system.Render(mix) != Audio::Backend::Result::Ok)
    {
        throw std::runtime_error("the back end cannot render");
    }
    return mix;
}

float MixCapture::Level(unsigned milliseconds)
{
    Render(5);
    return Peak(Render(milliseconds));
}

float MixCapture::Peak(const std::vector<float>& samples)
{
    float peak = 0.0f;
    for (const float sample : samples)
    {
        peak = std::max(peak, std::fabs(sample));
    }
    return peak;
}
} // namespace Morvane::Testing
