#include "SdlEvents.h"

#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace Morvane::Testing
{
namespace
{
// Written into a field the engine does not read, so that the filter knows the test's own events.
constexpr Uint8 kScripted = 0x5C;

void Push(SDL_Event& event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

int KeepScriptedInput(void*, SDL_Event* event)
{
    switch (event->type)
    {
    case SDL_WINDOWEVENT:
        return event->window.padding1 == kScripted;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event->key.padding2 == kScripted;
    case SDL_MOUSEMOTION:
        return event->motion.which == kScripted;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event->button.which == kScripted;
    default:
        return 1;
    }
}
} // namespace

ScriptedInputOnly::ScriptedInputOnly()
{
    SDL_SetEventFilter(&KeepScriptedInput, nullptr);
}

ScriptedInputOnly::~ScriptedInputOnly()
{
    SDL_SetEventFilter(nullptr, nullptr);
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
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = static_cast<Uint8>(windowEvent);
    event.window.padding1 = kScripted;
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
    event.key.padding2 = kScripted;
    Push(event);
}

void PushMouseButton(Uint8 button, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    event.button.which = kScripted;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    Push(event);
}

void PushMouseMotion(int x, int y, int xrel, int yrel)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.which = kScripted;
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

// libdbus keeps its connection buffers until dbus_shutdown(), which SDL 2.26 never calls.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
