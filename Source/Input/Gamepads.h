#pragma once

#include "Input/Joystick.h"

#include <SDL_gamecontroller.h>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

union SDL_Event;

namespace Morvane::Input
{
// Up to four SDL game controllers in fixed slots: a pad takes the first free slot when it is plugged
// in and gives it up when it is unplugged.
class Gamepads
{
public:
    static constexpr std::size_t kCount = 4;

    // Takes every controller already plugged in.
    void OpenAttached();
    // Follows controllers being plugged in and out.
    void HandleEvent(const SDL_Event& event);
    void CloseAll();

    // This frame's reading of the pad in `slot`; false when no pad answers there.
    bool Read(std::size_t slot, GamepadState& reading) const;
    // Motor speeds 0 to 65535, low-frequency (left) and high-frequency (right) motor.
    void Vibrate(std::size_t slot, std::uint16_t left, std::uint16_t right) const;

private:
    struct CloseController
    {
        void operator()(SDL_GameController* controller) const;
    };
    using Controller = std::unique_ptr<SDL_GameController, CloseController>;

    void Open(int deviceIndex);
    void Close(SDL_JoystickID instance);
    bool Holds(SDL_JoystickID instance) const;

    std::array<Controller, kCount> m_slots;
};
} // namespace Morvane::Input
