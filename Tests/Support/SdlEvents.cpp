#include "SdlEvents.h"

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace Morvane::Testing
{
namespace
{
// Set while a test pushes an event: SDL runs the filter inside SDL_PushEvent, so the filter knows the test's
// own events.
std::atomic<bool> pushing = false;

SDL_Event Event(Uint32 type)
{
    SDL_Event event{};
    event.type = type;
    return event;
}
} // namespace

int KeepScriptedInput(void*, SDL_Event* event)
{
    const Uint32 type = event->type;
    return pushing || !(type == SDL_WINDOWEVENT || type == SDL_KEYDOWN || type == SDL_KEYUP ||
                        (type >= SDL_MOUSEMOTION && type <= SDL_MOUSEBUTTONUP));
}

void Push(SDL_Event event)
{
    pushing = true;
    const int pushed = SDL_PushEvent(&event);
    pushing = false;
    ASSERT_EQ(pushed, 1) << SDL_GetError();
}

void PrepareVideoForTests()
{
    // SDL unloads these when it stops; what they still point to would then look leaked. libdbus
    // leaks for real (below); kept loaded, its reports can at least be named.
    for (const char* library : {"libdbus-1.so.3", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
    {
        dlopen(library, RTLD_NOW | RTLD_NODELETE);
    }
    if (std::getenv("DISPLAY") == nullptr && std::getenv("SDL_VIDEODRIVER") == nullptr)
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    }
}

void PushWindowEvent(SDL_Window* window, SDL_WindowEventID windowEvent, int data1, int data2)
{
    SDL_Event event = Event(SDL_WINDOWEVENT);
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = static_cast<Uint8>(windowEvent);
    event.window.data1 = data1;
    event.window.data2 = data2;
    Push(event);
}

void PushKey(SDL_Scancode scancode, bool down)
{
    SDL_Event event = Event(down ? SDL_KEYDOWN : SDL_KEYUP);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    Push(event);
}

void PushMouseButton(Uint8 button, bool down)
{
    SDL_Event event = Event(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP);
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    Push(event);
}

void PushMouseMotion(int x, int y, int xrel, int yrel)
{
    SDL_Event event = Event(SDL_MOUSEMOTION);
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = xrel;
    event.motion.yrel = yrel;
    Push(event);
}

void PushQuit()
{
    Push(Event(SDL_QUIT));
}
} // namespace Morvane::Testing

// libdbus keeps its connection buffers until dbus_shutdown(), which SDL 2.26 never calls.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
