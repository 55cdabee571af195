#include "Input/KeyStates.h"

namespace Morvane::Input
{
KeyState KeyStates::Next(KeyState current, bool down)
{
    if (down)
    {
        return current == KeyState::Idle || current == KeyState::Released ? KeyState::Triggered
                                                                          : KeyState::Held;
    }
    return current == KeyState::Triggered || current == KeyState::Held ? KeyState::Released : KeyState::Idle;
}

void KeyStates::Sample(const IsDown& isDown)
{
    for (unsigned code = 0; code < kCount; ++code)
    {
        m_states[code] = Next(m_states[code], isDown(code));
    }
}

void KeyStates::Clear()
{
    m_states.fill(KeyState::Idle);
}
} // namespace Morvane::Input
