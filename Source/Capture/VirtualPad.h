#pragma once

#include <SDL_gamecontroller.h>
#include <SDL_joystick.h>

namespace Morvane::Capture
{
// A game controller made in software and plugged in for as long as it lives. SDL ignores pushed pad
// events for the state the input system polls, so scripted pad input sets this pad's buttons and axes
// instead; the next event pump makes them the pad's state. Needs SDL's joystick subsystem.
class VirtualPad
{
public:
    // Marks the pad as the harness's own, so that every other pad can be hidden from SDL.
    static constexpr unsigned short kVendor = 0x1209;
    static constexpr unsigned short kProduct = 0x4d56;

    VirtualPad();
    ~VirtualPad();
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    // False when SDL refused to attach it; SDL_GetError() says why.
    bool IsAttached() const { return m_joystick != nullptr; }

    void SetButton(SDL_GameControllerButton button, bool down);
    // -1 to 1 for the sticks (as SDL reports them, y grows downward), 0 to 1 for the triggers.
    void SetAxis(SDL_GameControllerAxis axis, float value);

private:
    SDL_Joystick* m_joystick = nullptr;
};
} // namespace Morvane::Capture
