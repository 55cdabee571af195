#include "Capture/VirtualPad.h"
#include "Input/InputSystem.h"
#include "Platform/SdlSubsystem.h"
#include "Support/SdlEvents.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace Morvane::Capture
{
namespace
{
// Scripted pad input reaches the game as the first pad's state, sticks and triggers in their ranges.
TEST(VirtualPad, IsTheFirstPadAndItsButtonsAndAxesReachTheInputSystem)
{
    Testing::PrepareVideoForTests();
    const Platform::SdlSubsystem joysticks(SDL_INIT_JOYSTICK);
    ASSERT_TRUE(joysticks.IsReady()) << SDL_GetError();
    VirtualPad pad;
    ASSERT_TRUE(pad.IsAttached()) << SDL_GetError();
    Window::System& window = Window::System::GetInstance();
    Input::System& input = Input::System::GetInstance();
    ASSERT_TRUE(window.Initialize());
    ASSERT_TRUE(input.Initialize());
    window.active = true;

    pad.SetButton(SDL_CONTROLLER_BUTTON_A, true);
    pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 1.0f);
    pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -0.5f);
    pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1.0f);
    window.Update(0.016f);
    window.active = true;
    input.Update(0.016f);

    const Input::Joystick& first = *input.GetJoystick(0);
    EXPECT_TRUE(first.connected);
    EXPECT_EQ(first.state.buttons, Input::GamepadButton::kA);
    EXPECT_EQ(first.state.thumbLeftX, 32767);
    // SDL's y grows downward, the game's upward.
    EXPECT_EQ(first.state.thumbLeftY, 16384);
    EXPECT_EQ(first.state.rightTrigger, 255);
    EXPECT_EQ(first.state.leftTrigger, 0);
    EXPECT_FLOAT_EQ(first.axes[0], 1.0f);

    pad.SetButton(SDL_CONTROLLER_BUTTON_A, false);
    pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.5f);
    window.Update(0.016f);
    input.Update(0.016f);
    EXPECT_EQ(first.state.buttons, 0);
    EXPECT_EQ(first.state.rightTrigger, 127);

    input.Release();
    window.Release();
}
} // namespace
} // namespace Morvane::Capture
