#include "SdlEvents.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace Morvane::Testing
{
namespace
{
void Push(SDL_Event& event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}
} // namespace

void UseOffscreenVideoWithoutDisplay()
{
    if (std::getenv("DISPLAY") == nullptr && std::getenv("SDL_VIDEODRIVER") == nullptr)
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    }
}

void PushWindowEvent(SDL_Window* window, SDL_WindowEventID windowEvent, int data1, int data2)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = static_cast<Uint8>(windowEvent);
    event.window.data1 = data1;
    event.window.data2 = data2;
    Push(event);
}

void PushKey(SDL_Scancode scancode, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    Push(event);
}

void PushMouseButton(Uint8 button, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    Push(event);
}

void PushMouseMotion(int x, int y, int xrel, int yrel)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = xrel;
    event.motion.yrel = yrel;
    Push(event);
}

void PushQuit()
{
    SDL_Event event{};
    event.type = SDL_QUIT;
    Push(event);
}
} // namespace Morvane::Testing
