#include "Input/Gamepads.h"

#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <SDL.h>
#include <algorithm>

namespace Morvane::Input
{
namespace
{
const char* const kChannel = "Input";

struct ButtonBit
{
    SDL_GameControllerButton button;
    std::uint16_t bit;
};

constexpr ButtonBit kButtonBits[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, GamepadButton::kDpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, GamepadButton::kDpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, GamepadButton::kDpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, GamepadButton::kDpadRight},
    {SDL_CONTROLLER_BUTTON_START, GamepadButton::kStart},
    {SDL_CONTROLLER_BUTTON_BACK, GamepadButton::kBack},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, GamepadButton::kLeftThumb},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, GamepadButton::kRightThumb},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, GamepadButton::kLeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, GamepadButton::kRightShoulder},
    {SDL_CONTROLLER_BUTTON_A, GamepadButton::kA},
    {SDL_CONTROLLER_BUTTON_B, GamepadButton::kB},
    {SDL_CONTROLLER_BUTTON_X, GamepadButton::kX},
    {SDL_CONTROLLER_BUTTON_Y, GamepadButton::kY},
};

// SDL's vertical axes grow downward; XInput's grow upward.
std::int16_t Upward(std::int16_t value)
{
    return static_cast<std::int16_t>(std::clamp(-static_cast<int>(value), -32768, 32767));
}

// SDL's triggers run 0 to 32767; XInput's 0 to 255.
std::uint8_t TriggerByte(std::int16_t value)
{
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(value), 0, 32767) * 255 / 32767);
}
} // namespace

void Gamepads::CloseController::operator()(SDL_GameController* controller) const
{
    SDL_GameControllerClose(controller);
}

void Gamepads::OpenAttached()
{
    for (int device = 0; device < SDL_NumJoysticks(); ++device)
    {
        Open(device);
    }
}

void Gamepads::HandleEvent(const SDL_Event& event)
{
    if (event.type == SDL_CONTROLLERDEVICEADDED)
    {
        Open(event.cdevice.which);
    }
    else if (event.type == SDL_CONTROLLERDEVICEREMOVED)
    {
        Close(event.cdevice.which);
    }
}

void Gamepads::Open(int deviceIndex)
{
    if (SDL_IsGameController(deviceIndex) == SDL_FALSE || Holds(SDL_JoystickGetDeviceInstanceID(deviceIndex)))
    {
        return;
    }
    const auto free = std::find(m_slots.begin(), m_slots.end(), nullptr);
    if (free == m_slots.end())
    {
        return;
    }
    free->reset(SDL_GameControllerOpen(deviceIndex));
    if (*free == nullptr)
    {
        Log::Warning(kChannel, Format("Game pad %d could not be opened: %s", deviceIndex, SDL_GetError()));
        return;
    }
    Log::Info(kChannel, Format("Game pad '%s' is pad %d", SDL_GameControllerName(free->get()),
                               static_cast<int>(free - m_slots.begin())));
}

void Gamepads::Close(SDL_JoystickID instance)
{
    for (Controller& slot : m_slots)
    {
        if (slot != nullptr && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(slot.get())) == instance)
        {
            slot.reset();
        }
    }
}

bool Gamepads::Holds(SDL_JoystickID instance) const
{
    return std::any_of(m_slots.begin(), m_slots.end(),
                       [instance](const Controller& slot) {
                           return slot != nullptr &&
                                  SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(slot.get())) ==
                                      instance;
                       });
}

void Gamepads::CloseAll()
{
    for (Controller& slot : m_slots)
    {
        slot.reset();
    }
}

bool Gamepads::Read(std::size_t slot, GamepadState& reading) const
{
    SDL_GameController* controller = m_slots[slot].get();
    if (controller == nullptr || SDL_GameControllerGetAttached(controller) == SDL_FALSE)
    {
        return false;
    }
    reading = GamepadState{};
    for (const ButtonBit& entry : kButtonBits)
    {
        if (SDL_GameControllerGetButton(controller, entry.button) != 0)
        {
            reading.buttons |= entry.bit;
        }
    }
    reading.leftTrigger = TriggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
    reading.rightTrigger =
        TriggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    reading.thumbLeftX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
    reading.thumbLeftY = Upward(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    reading.thumbRightX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTX);
    reading.thumbRightY = Upward(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTY));
    return true;
}

void Gamepads::Vibrate(std::size_t slot, std::uint16_t left, std::uint16_t right) const
{
    if (SDL_GameController* controller = m_slots[slot].get())
    {
        // XInput vibration lasts until it is changed; SDL caps the duration it is given.
        SDL_GameControllerRumble(controller, left, right, SDL_HAPTIC_INFINITY);
    }
}
} // namespace Morvane::Input
