#pragma once

#include <SDL_events.h>
#include <SDL_video.h>

namespace Morvane::Testing
{
// Windows in tests open on the display when there is one (xvfb-run), otherwise on SDL's offscreen
// driver, which needs no X server. Also keeps the libraries SDL loads and unloads in memory, so that
// what they hold until exit is not reported as leaked.
void PrepareVideoForTests();

// Lets window, keyboard and mouse events through only while a Push function below sends them.
int KeepScriptedInput(void*, SDL_Event* event);

// While it lives, window, keyboard and mouse events reach the queue only from the Push functions
// below: tests that share one X server move its pointer and focus, and must not hear each other.
class ScriptedInputOnly
{
public:
    ScriptedInputOnly() { SDL_SetEventFilter(&KeepScriptedInput, nullptr); }
    ~ScriptedInputOnly() { SDL_SetEventFilter(nullptr, nullptr); }
    ScriptedInputOnly(const ScriptedInputOnly&) = delete;
    ScriptedInputOnly& operator=(const ScriptedInputOnly&) = delete;
};

// Events put on SDL's queue exactly where a player's would arrive; the window system pumps them.
void Push(SDL_Event event);
void PushWindowEvent(SDL_Window* window, SDL_WindowEventID event, int data1 = 0, int data2 = 0);
void PushKey(SDL_Scancode scancode, bool down);
void PushMouseButton(Uint8 button, bool down);
void PushMouseMotion(int x, int y, int xrel, int yrel);
void PushQuit();
} // namespace Morvane::Testing
