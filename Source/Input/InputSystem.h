#pragma once

#include "Input/Gamepads.h"
#include "Input/Joystick.h"
#include "Input/KeyStates.h"
#include "Input/KeyTable.h"
#include "Platform/SdlSubsystem.h"
#include "SystemManager/ISystem.h"
#include "Window/WindowSystem.h"

#include <cstdint>
#include <glm/vec2.hpp>
#include <optional>
#include <vector>

namespace Morvane::Input
{
// Samples keyboard, mouse and up to four game pads once per frame from the events the window system
// pumps. Keys and mouse buttons are read by Windows virtual-key code through a per-key state machine
// (idle, triggered, held, released). While the window has no focus everything reads idle.
class System : public ISystem
{
public:
    // Where the locked mouse is held: the centre of the 1280 x 800 window.
    static constexpr int kLockX = 640;
    static constexpr int kLockY = 400;

    static System& GetInstance();

    bool Initialize() override;
    void Update(const float& dt) override;
    void Release() override;
    bool Parse(IParserData*) override { return true; }

    bool IsTriggered(unsigned keyCode) const;
    bool IsHeld(unsigned keyCode) const;
    KeyState GetKeyState(unsigned keyCode) const;

    Joystick* GetJoystick(unsigned index);
    // Motor speeds 0 to 65535; an unfocused window keeps its pads still.
    void SetVibration(unsigned index, std::uint16_t left, std::uint16_t right);

    // The cursor in client pixels.
    void GetMousePosition(glm::vec2& out) const;
    // Moves the cursor to client pixel (x, y) of the game window.
    void SetCursorPosition(int x, int y);
    // The cursor in the world seen by a camera at `cameraPosition` showing `viewSize` units.
    void GetMousePosition(glm::vec2& out, const glm::vec2& cameraPosition, const glm::vec2& viewSize) const;

    // Cursor position in client pixels (origin top-left) and last frame's movement (y grows upward).
    int mouseX = 0;
    int mouseY = 0;
    int mouseDeltaX = 0;
    int mouseDeltaY = 0;
    // Set by game code for mouse-look: the cursor stays at (kLockX, kLockY) and only deltas move.
    bool mouseLocked = false;

private:
    System() = default;

    void HandleEvent(const SDL_Event& event);
    void UpdateActive();
    void UpdateInactive();
    void UpdatePads();
    void UpdateMouse();
    void ApplyMouseLock();

    KeyStates m_inputStates;
    std::vector<Joystick> m_joysticks;
    KeyTable m_keys;

    std::optional<Platform::SdlSubsystem> m_controllers;
    Gamepads m_gamepads;
    std::optional<Window::System::ListenerId> m_listener;

    // Where the pumped events last put the cursor, and the relative movement since the last sample.
    int m_cursorX = 0;
    int m_cursorY = 0;
    int m_relativeX = 0;
    int m_relativeY = 0;
    bool m_relativeMode = false;
};
} // namespace Morvane::Input
