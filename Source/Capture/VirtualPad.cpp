#include "Capture/VirtualPad.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>

namespace Morvane::Capture
{
VirtualPad::VirtualPad()
{
    SDL_VirtualJoystickDesc description{};
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    description.vendor_id = kVendor;
    description.product_id = kProduct;
    description.name = "Capture Pad";
    const int device = SDL_JoystickAttachVirtualEx(&description);
    if (device >= 0)
    {
        m_joystick = SDL_JoystickOpen(device);
    }
}

VirtualPad::~VirtualPad()
{
    if (m_joystick == nullptr)
    {
        return;
    }
    const SDL_JoystickID instance = SDL_JoystickInstanceID(m_joystick);
    for (int device = 0; device < SDL_NumJoysticks(); ++device)
    {
        if (SDL_JoystickGetDeviceInstanceID(device) == instance)
        {
            SDL_JoystickDetachVirtual(device);
            break;
        }
    }
    SDL_JoystickClose(m_joystick);
}

void VirtualPad::SetButton(SDL_GameControllerButton button, bool down)
{
    SDL_JoystickSetVirtualButton(m_joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void VirtualPad::SetAxis(SDL_GameControllerAxis axis, float value)
{
    // A virtual pad's triggers travel the joystick's whole range, which SDL maps onto 0 to 32767.
    const bool trigger = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    const double raw = trigger ? -32768.0 + std::clamp(value, 0.0f, 1.0f) * 65535.0
                               : std::clamp(value, -1.0f, 1.0f) * 32767.0;
    SDL_JoystickSetVirtualAxis(m_joystick, axis, static_cast<Sint16>(std::lround(raw)));
}
} // namespace Morvane::Capture
