#pragma once

#include "Platform/SdlSubsystem.h"
#include "SystemManager/ISystem.h"

#include <SDL_events.h>
#include <SDL_video.h>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Morvane::Window
{
// The client area in window pixels; the origin is always the top-left corner.
struct ClientRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Owns the game's one OpenGL-capable window: pumps its events once per frame, turns closing it into
// the system manager's quit flag, follows focus and client size, hides the cursor over the client
// area and switches between a `width` x `height` window (1280 x 800) and a borderless desktop-sized
// one. The graphics system creates its OpenGL context on `window`.
class System : public ISystem
{
public:
    using ResizeHandler = std::function<void(int width, int height)>;
    using EventListener = std::function<void(const SDL_Event& event)>;
    using ListenerId = std::size_t;

    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 800;

    static System& GetInstance();

    bool Initialize() override;
    void Update(const float& dt) override;
    void Release() override;
    bool Parse(IParserData*) override { return true; }

    void SetFullScreen(bool on);

    // Told the new client size on every resize and full-screen switch (the renderer's viewport).
    void SetResizeHandler(ResizeHandler handler);
    // Every event `Update` pumps is handed to each listener, in the order they were added.
    ListenerId AddEventListener(EventListener listener);
    void RemoveEventListener(ListenerId id);

    bool IsCursorHidden() const { return m_cursorHidden; }

    // Read by the graphics system (context, viewport), the input system and the menus.
    SDL_Window* window = nullptr;
    bool active = false;
    bool fullScreen = false;
    // The client size of the window Initialize makes and of the windowed mode; set before Initialize
    // (headless captures run small).
    int width = kWidth;
    int height = kHeight;
    ClientRect clientRect;
    std::string title;

private:
    System() = default;
    ~System() override;

    bool CreateGameWindow();
    void HandleWindowEvent(const SDL_WindowEvent& event);
    void RefreshClientRect();
    void NotifyResize(int clientWidth, int clientHeight) const;
    void SetCursorHidden(bool hidden);

    std::unique_ptr<Platform::SdlSubsystem> m_video;
    bool m_cursorHidden = false;
    ResizeHandler m_resizeHandler;
    std::vector<std::pair<ListenerId, EventListener>> m_listeners;
    ListenerId m_nextListenerId = 1;
};
} // namespace Morvane::Window
