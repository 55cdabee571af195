#include "Platform/SdlSubsystem.h"

#include <SDL.h>

namespace Morvane::Platform
{
SdlSubsystem::SdlSubsystem(std::uint32_t flags) : m_flags(flags)
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The input system decides itself what an unfocused game reads; SDL must keep pad state current.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    m_ready = SDL_InitSubSystem(flags) == 0;
}

SdlSubsystem::~SdlSubsystem()
{
    if (m_ready)
    {
        SDL_QuitSubSystem(m_flags);
    }
}
} // namespace Morvane::Platform
