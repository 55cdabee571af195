#include "Input/Joystick.h"

#include <algorithm>
#include <cstdlib>

namespace Morvane::Input
{
bool GamepadState::SameInputs(const GamepadState& other) const
{
    return buttons == other.buttons && leftTrigger == other.leftTrigger &&
           rightTrigger == other.rightTrigger && thumbLeftX == other.thumbLeftX &&
           thumbLeftY == other.thumbLeftY && thumbRightX == other.thumbRightX &&
           thumbRightY == other.thumbRightY;
}

bool Joystick::IsButtonTriggered(std::uint16_t mask) const
{
    return (state.buttons & mask) != 0 && (previousState.buttons & mask) == 0;
}

void Joystick::Receive(const GamepadState& reading)
{
    const std::uint32_t packet = state.packetNumber + (reading.SameInputs(state) ? 0u : 1u);
    state = reading;
    state.packetNumber = packet;
    connected = true;
    axes = {NormalizeAxis(state.thumbLeftX, deadZone), NormalizeAxis(state.thumbLeftY, deadZone),
            NormalizeAxis(state.thumbRightX, deadZone), NormalizeAxis(state.thumbRightY, deadZone)};
}

void Joystick::ClearState()
{
    state = GamepadState{};
    previousState = GamepadState{};
    axes = {};
}

float Joystick::NormalizeAxis(std::int16_t value, std::int16_t deadZone)
{
    // In int: the magnitude of -32768 does not fit 16 bits. A dead zone of the whole travel would
    // divide by zero.
    const int magnitude = std::abs(static_cast<int>(value));
    const int zone = std::clamp(static_cast<int>(deadZone), 0, 32766);
    if (magnitude < zone)
    {
        return 0.0f;
    }
    const float scaled = static_cast<float>(magnitude - zone) / static_cast<float>(32767 - zone);
    return value < 0 ? -scaled : scaled;
}
} // namespace Morvane::Input
