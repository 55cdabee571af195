#include "Sound/Backend/ChannelGroup.h"

#include "Sound/Backend/Output.h"

#include <algorithm>
#include <cmath>

namespace Morvane::Audio::Backend
{
Result ChannelGroup::SetVolume(float volume)
{
    if (std::isnan(volume))
    {
        return Result::ErrorInvalidParameter;
    }
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    m_system.ApplyGroupVolume(*this);
    return Result::Ok;
}

Result ChannelGroup::Release()
{
    return m_system.ReleaseChannelGroup(*this);
}
} // namespace Morvane::Audio::Backend
