#include "Input/KeyTable.h"

#include "Platform/KeyCodes.h"

#include <SDL_events.h>

namespace Morvane::Input
{
void KeyTable::HandleEvent(const SDL_Event& event)
{
    std::optional<unsigned> code;
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        code = Platform::ScancodeToVirtualKey(event.key.keysym.scancode);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        code = Platform::MouseButtonToVirtualKey(event.button.button);
        break;
    default:
        return;
    }
    if (code)
    {
        m_down[*code] = event.type == SDL_KEYDOWN || event.type == SDL_MOUSEBUTTONDOWN;
    }
}

bool KeyTable::IsDown(unsigned keyCode) const
{
    if (const auto sides = Platform::SidesOfModifier(keyCode))
    {
        return m_down[sides->first] || m_down[sides->second];
    }
    return keyCode < m_down.size() && m_down[keyCode];
}
} // namespace Morvane::Input
