#include "Hmd/HmdDevice.h"

#include "System/Logging/LoggingSystem.h"

namespace Morvane::Hmd
{
Device& Device::GetInstance()
{
    static Device device;
    return device;
}

bool Device::Open()
{
    if (!m_warned)
    {
        m_warned = true;
        Log::Warning("OculusRift", "No Hmd device");
    }
    return false;
}

const EyeParameters& Device::GetEye(Eye eye) const
{
    return eye == Eye::Right ? m_right : m_left;
}
} // namespace Morvane::Hmd
