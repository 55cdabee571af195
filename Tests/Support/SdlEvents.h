#pragma once

#include <SDL_events.h>
#include <SDL_video.h>

namespace Morvane::Testing
{
// Windows in tests open on the display when there is one (xvfb-run), otherwise on SDL's offscreen
// driver, which needs no X server.
void UseOffscreenVideoWithoutDisplay();

// Events put on SDL's queue exactly where a player's would arrive; the window system pumps them.
void PushWindowEvent(SDL_Window* window, SDL_WindowEventID event, int data1 = 0, int data2 = 0);
void PushKey(SDL_Scancode scancode, bool down);
void PushMouseButton(Uint8 button, bool down);
void PushMouseMotion(int x, int y, int xrel, int yrel);
void PushQuit();
} // namespace Morvane::Testing
