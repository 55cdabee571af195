#include "Window/WindowSystem.h"

#include "Platform/DisplayLoss.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "SystemManager/SystemManager.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace Morvane::Window
{
namespace
{
const char* const kChannel = "Window";

// SDL falls back to these drivers when there is no display; they show nothing and take no input, so
// the game uses them only when asked to (tests, headless runs).
bool IsInvisibleDriver(const char* driver)
{
    return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool WasDriverRequested()
{
    const char* requested = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    return requested != nullptr && *requested != '\0';
}

void RequestFramebuffer()
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // 4.5 is the newest core profile Mesa offers; drivers that know more hand out a compatible newer one.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
}

void LogCreationError(const std::string& reason)
{
    Log::Error(kChannel, "Window Creation Error");
    Log::Error(kChannel, reason);
}
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

System::~System()
{
    Release();
}

bool System::Initialize()
{
    if (window != nullptr)
    {
        // Already made (a configuration switch): the window and its state stay as they are.
        return true;
    }
    if (!CreateGameWindow())
    {
        return false;
    }
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    active = (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
    RefreshClientRect();
    return true;
}

bool System::CreateGameWindow()
{
    m_video = std::make_unique<Platform::SdlSubsystem>(SDL_INIT_VIDEO);
    if (!m_video->IsReady())
    {
        LogCreationError(Format("No video driver: %s", SDL_GetError()));
        m_video.reset();
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (IsInvisibleDriver(driver) && !WasDriverRequested())
    {
        LogCreationError(Format("No display to open the window on (SDL chose '%s')", driver));
        m_video.reset();
        return false;
    }

    if (driver != nullptr && std::strcmp(driver, "x11") == 0)
    {
        Platform::GuardAgainstDisplayLoss();
    }

    RequestFramebuffer();
    window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr)
    {
        LogCreationError(Format("SDL: %s", SDL_GetError()));
        m_video.reset();
        return false;
    }
    Log::Info(kChannel, Format("Window of %d x %d created on the '%s' video driver", width, height, driver));
    if (fullScreen)
    {
        SetFullScreen(true);
    }
    return true;
}

void System::Update(const float&)
{
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
    {
        if (event.type == SDL_QUIT)
        {
            SystemManager::GetInstance().quit = true;
        }
        else if (event.type == SDL_WINDOWEVENT && window != nullptr &&
                 event.window.windowID == SDL_GetWindowID(window))
        {
            HandleWindowEvent(event.window);
        }
        for (const auto& [id, listener] : m_listeners)
        {
            listener(event);
        }
    }
    RefreshClientRect();
}

void System::HandleWindowEvent(const SDL_WindowEvent& event)
{
    switch (event.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        SystemManager::GetInstance().quit = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        active = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        active = false;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        NotifyResize(event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_ENTER:
        SetCursorHidden(true);
        break;
    case SDL_WINDOWEVENT_LEAVE:
        SetCursorHidden(false);
        break;
    default:
        break;
    }
}

void System::RefreshClientRect()
{
    if (window == nullptr)
    {
        return;
    }
    int clientWidth = 0;
    int clientHeight = 0;
    SDL_GetWindowSize(window, &clientWidth, &clientHeight);
    clientRect = ClientRect{0, 0, clientWidth, clientHeight};
}

void System::NotifyResize(int clientWidth, int clientHeight) const
{
    if (m_resizeHandler)
    {
        m_resizeHandler(clientWidth, clientHeight);
    }
}

void System::SetCursorHidden(bool hidden)
{
    if (hidden != m_cursorHidden)
    {
        SDL_ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
        m_cursorHidden = hidden;
    }
}

void System::SetFullScreen(bool on)
{
    if (window == nullptr)
    {
        // Taken up when the window is created.
        fullScreen = on;
        return;
    }
    // The desktop the window is on: with several monitors it need not start at (0, 0).
    SDL_Rect desktop{0, 0, width, height};
    const bool desktopKnown =
        SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &desktop) == 0;
    if (on && !desktopKnown)
    {
        Log::Error(kChannel, Format("Fullscreen not allowed: %s", SDL_GetError()));
        return;
    }
    if (on)
    {
        SDL_SetWindowBordered(window, SDL_FALSE);
        SDL_SetWindowPosition(window, desktop.x, desktop.y);
        SDL_SetWindowSize(window, desktop.w, desktop.h);
        NotifyResize(desktop.w, desktop.h);
    }
    else
    {
        SDL_SetWindowBordered(window, SDL_TRUE);
        SDL_SetWindowSize(window, width, height);
        SDL_SetWindowPosition(window, desktop.x, desktop.y);
        NotifyResize(width, height);
    }
    fullScreen = on;
    RefreshClientRect();
}

void System::SetResizeHandler(ResizeHandler handler)
{
    m_resizeHandler = std::move(handler);
}

System::ListenerId System::AddEventListener(EventListener listener)
{
    const ListenerId id = m_nextListenerId++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void System::RemoveEventListener(ListenerId id)
{
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void System::Release()
{
    // Everything is taken out of the system before SDL is called, so that a release that SDL cuts
    // short (the process ending inside it) is not repeated by the exit handlers.
    SDL_Window* const released = std::exchange(window, nullptr);
    const bool cursorWasHidden = std::exchange(m_cursorHidden, false);
    const std::unique_ptr<Platform::SdlSubsystem> video = std::move(m_video);
    active = false;
    clientRect = ClientRect{};
    if (cursorWasHidden)
    {
        SDL_ShowCursor(SDL_ENABLE);
    }
    if (released != nullptr)
    {
        SDL_DestroyWindow(released);
    }
}
} // namespace Morvane::Window
