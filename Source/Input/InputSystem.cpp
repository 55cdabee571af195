#include "Input/InputSystem.h"

#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <SDL.h>
#include <utility>

namespace Morvane::Input
{
namespace
{
const char* const kChannel = "Input";
// The input system's assertion reports name the engine's shared system source file.
const char* const kAssertionFile = "Source/System/System.cpp";
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

bool System::Initialize()
{
    m_joysticks.assign(Gamepads::kCount, Joystick{});
    for (unsigned index = 0; index < m_joysticks.size(); ++index)
    {
        m_joysticks[index].index = index;
    }

    if (!m_controllers)
    {
        m_controllers.emplace(SDL_INIT_GAMECONTROLLER);
        if (m_controllers->IsReady())
        {
            m_gamepads.OpenAttached();
        }
        else
        {
            Log::Warning(kChannel, Format("Game pads are not available: %s", SDL_GetError()));
            m_controllers.reset();
        }
    }
    if (!m_listener)
    {
        m_listener = Window::System::GetInstance().AddEventListener([this](const SDL_Event& event)
                                                                    { HandleEvent(event); });
    }
    return true;
}

void System::Release()
{
    if (m_listener)
    {
        Window::System::GetInstance().RemoveEventListener(*m_listener);
        m_listener.reset();
    }
    if (std::exchange(m_relativeMode, false))
    {
        SDL_SetRelativeMouseMode(SDL_FALSE);
    }
    m_gamepads.CloseAll();
    m_controllers.reset();
    // A key held while the system went down must not read as held when it comes back.
    m_keys.Clear();
    m_inputStates.Clear();
}

void System::HandleEvent(const SDL_Event& event)
{
    m_keys.HandleEvent(event);
    m_gamepads.HandleEvent(event);
    if (event.type == SDL_MOUSEMOTION)
    {
        m_cursorX = event.motion.x;
        m_cursorY = event.motion.y;
        m_relativeX += event.motion.xrel;
        m_relativeY += event.motion.yrel;
    }
}

void System::Update(const float&)
{
    if (Window::System::GetInstance().active)
    {
        UpdateActive();
    }
    else
    {
        UpdateInactive();
    }
    m_relativeX = 0;
    m_relativeY = 0;
}

void System::UpdateActive()
{
    ApplyMouseLock();
    UpdatePads();
    UpdateMouse();
    m_inputStates.Sample([this](unsigned code) { return m_keys.IsDown(code); });
}

void System::UpdateInactive()
{
    mouseDeltaX = 0;
    mouseDeltaY = 0;
    m_inputStates.Clear();
    for (Joystick& joystick : m_joysticks)
    {
        m_gamepads.Vibrate(joystick.index, 0, 0);
        joystick.ClearState();
    }
}

void System::ApplyMouseLock()
{
    if (mouseLocked == m_relativeMode)
    {
        return;
    }
    m_relativeMode = mouseLocked;
    // Drivers without relative mode still report relative motion; the cursor then just roams.
    SDL_SetRelativeMouseMode(mouseLocked ? SDL_TRUE : SDL_FALSE);
    if (mouseLocked)
    {
        // Motion gathered before the lock moved the free cursor (SDL reports the pointer's arrival in the
        // window as a move from (0, 0)); it must not turn a locked view.
        m_relativeX = 0;
        m_relativeY = 0;
    }
    else
    {
        // Unlocking leaves the cursor where the locked game said it was.
        if (SDL_Window* window = Window::System::GetInstance().window)
        {
            SDL_WarpMouseInWindow(window, kLockX, kLockY);
        }
        m_cursorX = kLockX;
        m_cursorY = kLockY;
    }
}

void System::UpdatePads()
{
    for (Joystick& joystick : m_joysticks)
    {
        joystick.previousState = joystick.state;
        GamepadState reading;
        if (m_gamepads.Read(joystick.index, reading))
        {
            joystick.Receive(reading);
        }
        else
        {
            joystick.Lose();
        }
    }
}

void System::UpdateMouse()
{
    if (mouseLocked)
    {
        mouseX = kLockX;
        mouseY = kLockY;
        mouseDeltaX = m_relativeX;
        mouseDeltaY = -m_relativeY;
        return;
    }
    mouseDeltaX = m_cursorX - mouseX;
    mouseDeltaY = mouseY - m_cursorY;
    mouseX = m_cursorX;
    mouseY = m_cursorY;
}

bool System::IsTriggered(unsigned keyCode) const
{
    return GetKeyState(keyCode) == KeyState::Triggered;
}

bool System::IsHeld(unsigned keyCode) const
{
    MORVANE_ASSERT_NAMED_IN(keyCode < m_inputStates.size(), "keyCode >= 0 && keyCode < m_inputStates.size()",
                            kAssertionFile, 340);
    return m_inputStates.Get(keyCode) == KeyState::Held;
}

KeyState System::GetKeyState(unsigned keyCode) const
{
    MORVANE_ASSERT_NAMED_IN(keyCode < m_inputStates.size(), "keyCode >= 0 && keyCode < m_inputStates.size()",
                            kAssertionFile, 326);
    return m_inputStates.Get(keyCode);
}

Joystick* System::GetJoystick(unsigned index)
{
    MORVANE_ASSERT_NAMED_IN(index < m_joysticks.size(), "index < m_joysticks.size()", kAssertionFile, 500);
    return &m_joysticks[index];
}

void System::SetVibration(unsigned index, std::uint16_t left, std::uint16_t right)
{
    MORVANE_ASSERT_NAMED_IN(index < m_joysticks.size(), "index < m_joysticks.size()", kAssertionFile, 500);
    if (Window::System::GetInstance().active)
    {
        m_gamepads.Vibrate(index, left, right);
    }
}

void System::SetCursorPosition(int x, int y)
{
    // Null is the window with the mouse's focus: the game's, whenever the cursor is over it.
    SDL_WarpMouseInWindow(nullptr, x, y);
    mouseX = x;
    mouseY = y;
}

void System::GetMousePosition(glm::vec2& out) const
{
    out = glm::vec2(static_cast<float>(mouseX), static_cast<float>(mouseY));
}

void System::GetMousePosition(glm::vec2& out, const glm::vec2& cameraPosition,
                              const glm::vec2& viewSize) const
{
    const Window::ClientRect& client = Window::System::GetInstance().clientRect;
    const float width = static_cast<float>(client.Width() > 0 ? client.Width() : Window::System::kWidth);
    const float height = static_cast<float>(client.Height() > 0 ? client.Height() : Window::System::kHeight);
    out.x = cameraPosition.x + (static_cast<float>(mouseX) / width - 0.5f) * viewSize.x;
    out.y = cameraPosition.y - (static_cast<float>(mouseY) / height - 0.5f) * viewSize.y;
}
} // namespace Morvane::Input
