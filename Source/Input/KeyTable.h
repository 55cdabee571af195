#pragma once

#include <bitset>

union SDL_Event;

namespace Morvane::Input
{
// Which keys and mouse buttons are down, by virtual-key code, as the pumped events tell. Kept here
// rather than read from SDL so that injected events count exactly like a player's.
class KeyTable
{
public:
    // Follows key and mouse-button presses and releases; other events are ignored.
    void HandleEvent(const SDL_Event& event);
    // Shift, Control and Alt are down while either of their sides is.
    bool IsDown(unsigned keyCode) const;
    void Clear() { m_down.reset(); }

private:
    std::bitset<256> m_down;
};
} // namespace Morvane::Input
