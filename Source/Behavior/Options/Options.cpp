#include "Behavior/Options/Options.h"

#include <algorithm>

Options& Options::GetInstance()
{
    static Options instance;
    return instance;
}

void Options::SetMouseSensitivity(int sensitivity)
{
    m_mouseSensitivity = std::clamp(sensitivity, kMinimumSensitivity, kMaximumSensitivity);
}
