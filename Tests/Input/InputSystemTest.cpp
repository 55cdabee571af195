#include "Input/InputSystem.h"

#include "Platform/KeyCodes.h"
#include "Support/SdlEvents.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace Morvane::Input
{
namespace
{
namespace VK = Platform::VirtualKey;
using Testing::PushKey;
using Testing::PushMouseMotion;
using Testing::PushWindowEvent;

// A game pad made in software, plugged in for as long as it lives; it records what it is told to rumble.
class VirtualPad
{
public:
    VirtualPad()
    {
        SDL_VirtualJoystickDesc description{};
        description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        description.naxes = SDL_CONTROLLER_AXIS_MAX;
        description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        description.name = "Test Pad";
        description.userdata = this;
        description.Rumble = &VirtualPad::OnRumble;
        const int device = SDL_JoystickAttachVirtualEx(&description);
        EXPECT_GE(device, 0) << SDL_GetError();
        m_joystick = SDL_JoystickOpen(device);
        EXPECT_NE(m_joystick, nullptr) << SDL_GetError();
    }

    ~VirtualPad() { Unplug(); }

    void SetAxis(SDL_GameControllerAxis axis, Sint16 value)
    {
        SDL_JoystickSetVirtualAxis(m_joystick, axis, value);
    }
    void Press(SDL_GameControllerButton button) { SDL_JoystickSetVirtualButton(m_joystick, button, 1); }
    void Unplug()
    {
        for (int device = 0; m_joystick != nullptr && device < SDL_NumJoysticks(); ++device)
        {
            if (SDL_JoystickGetDeviceInstanceID(device) == SDL_JoystickInstanceID(m_joystick))
            {
                SDL_JoystickDetachVirtual(device);
                SDL_JoystickClose(m_joystick);
                m_joystick = nullptr;
            }
        }
    }

    std::vector<std::pair<Uint16, Uint16>> rumbles;

private:
    static int OnRumble(void* self, Uint16 low, Uint16 high)
    {
        static_cast<VirtualPad*>(self)->rumbles.emplace_back(low, high);
        return 0;
    }

    SDL_Joystick* m_joystick = nullptr;
};

class InputSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Testing::PrepareVideoForTests();
        ASSERT_TRUE(window.Initialize());
        ASSERT_TRUE(input.Initialize());
        m_scripted.emplace();
        PushWindowEvent(window.window, SDL_WINDOWEVENT_FOCUS_GAINED);
        Frame();
    }

    void TearDown() override
    {
        m_scripted.reset();
        input.Release();
        window.Release();
    }

    void Frame()
    {
        window.Update(0.016f);
        input.Update(0.016f);
    }

    Window::System& window = Window::System::GetInstance();
    System& input = System::GetInstance();

private:
    std::optional<Testing::ScriptedInputOnly> m_scripted;
};

TEST_F(InputSystemTest, KeysAndMouseButtonsThroughTheRealEventPath)
{
    PushKey(SDL_SCANCODE_A, true);
    Testing::PushMouseButton(SDL_BUTTON_RIGHT, true);
    PushKey(SDL_SCANCODE_LSHIFT, true);
    PushKey(SDL_SCANCODE_SPACE, true); // pressed and let go between two frames: never seen
    PushKey(SDL_SCANCODE_SPACE, false);
    Frame();
    EXPECT_TRUE(input.IsTriggered(VK::kA));
    EXPECT_FALSE(input.IsHeld(VK::kA));
    EXPECT_TRUE(input.IsTriggered(VK::kRightButton));
    EXPECT_TRUE(input.IsTriggered(VK::kShift));
    EXPECT_FALSE(input.IsTriggered(VK::kRightShift));
    EXPECT_EQ(input.GetKeyState(VK::kSpace), KeyState::Idle);
    Frame();
    EXPECT_TRUE(input.IsHeld(VK::kA));
    Testing::PushMouseButton(SDL_BUTTON_RIGHT, false);
    PushKey(SDL_SCANCODE_A, false);
    Frame();
    EXPECT_EQ(input.GetKeyState(VK::kA), KeyState::Released);
    EXPECT_EQ(input.GetKeyState(VK::kRightButton), KeyState::Released);
    EXPECT_TRUE(input.IsHeld(VK::kShift));
    PushKey(SDL_SCANCODE_RSHIFT, true);
    PushKey(SDL_SCANCODE_LSHIFT, false);
    Frame();
    EXPECT_EQ(input.GetKeyState(VK::kA), KeyState::Idle);
    EXPECT_TRUE(input.IsHeld(VK::kShift)) << "the right side went down as the left came up";
    PushKey(SDL_SCANCODE_RSHIFT, false);
    Frame();
    EXPECT_EQ(input.GetKeyState(VK::kShift), KeyState::Released);
}

TEST_F(InputSystemTest, MouseMovesInClientPixelsWithYUp)
{
    PushMouseMotion(100, 200, 0, 0);
    Frame();
    PushMouseMotion(105, 198, 5, -2);
    PushMouseMotion(110, 195, 5, -3);
    Frame();
    EXPECT_EQ(input.mouseX, 110);
    EXPECT_EQ(input.mouseY, 195);
    EXPECT_EQ(input.mouseDeltaX, 10);
    EXPECT_EQ(input.mouseDeltaY, 5) << "y grows upwards";
    Frame();
    EXPECT_EQ(input.mouseDeltaX, 0);
    EXPECT_EQ(input.mouseDeltaY, 0);
}

TEST_F(InputSystemTest, LockedMouseStaysAtTheCentreAndReportsMovement)
{
    input.mouseLocked = true;
    Frame();
    Frame();
    PushMouseMotion(650, 395, 10, -5);
    Frame();
    EXPECT_EQ(input.mouseDeltaX, 10);
    EXPECT_EQ(input.mouseDeltaY, 5);
    EXPECT_EQ(input.mouseX, 640);
    EXPECT_EQ(input.mouseY, 400);
    Frame();
    EXPECT_EQ(input.mouseDeltaX, 0);

    input.mouseLocked = false;
    Frame();
    EXPECT_EQ(input.mouseX, 640);
    EXPECT_EQ(input.mouseDeltaX, 0) << "unlocking is not a movement";
    EXPECT_EQ(input.mouseDeltaY, 0);
}

TEST_F(InputSystemTest, FocusLossClearsEveryStateAndStopsThePads)
{
    VirtualPad pad;
    Frame();
    pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    PushKey(SDL_SCANCODE_W, true);
    PushMouseMotion(300, 300, 0, 0);
    Frame();
    input.SetVibration(0, 1000, 2000);
    PushMouseMotion(320, 310, 20, 10);
    Frame();
    ASSERT_TRUE(input.IsHeld(VK::kA + ('W' - 'A')));
    ASSERT_NE(input.mouseDeltaX, 0);
    ASSERT_TRUE(input.GetJoystick(0)->connected);
    ASSERT_EQ(pad.rumbles.back(), std::make_pair(Uint16{1000}, Uint16{2000}));

    PushWindowEvent(window.window, SDL_WINDOWEVENT_FOCUS_LOST);
    PushMouseMotion(400, 400, 80, 90);
    PushKey(SDL_SCANCODE_B, true);
    Frame();
    for (unsigned code = 0; code < 255; ++code)
    {
        ASSERT_EQ(input.GetKeyState(code), KeyState::Idle) << code;
    }
    EXPECT_EQ(input.mouseDeltaX, 0);
    EXPECT_EQ(input.mouseDeltaY, 0);
    EXPECT_EQ(input.mouseX, 320);
    EXPECT_EQ(pad.rumbles.back(), std::make_pair(Uint16{0}, Uint16{0}));
    EXPECT_EQ(input.GetJoystick(0)->axes[Joystick::LeftX], 0.0f);
    input.SetVibration(0, 3000, 3000);
    EXPECT_EQ(pad.rumbles.back(), std::make_pair(Uint16{0}, Uint16{0})) << "no rumble while away";

    // Back in front: keys still down come back as triggered.
    PushWindowEvent(window.window, SDL_WINDOWEVENT_FOCUS_GAINED);
    Frame();
    EXPECT_TRUE(input.IsTriggered(VK::kA + ('W' - 'A')));
    EXPECT_TRUE(input.IsTriggered(VK::kA + ('B' - 'A')));
    EXPECT_FLOAT_EQ(input.GetJoystick(0)->axes[Joystick::LeftX], Joystick::NormalizeAxis(20000, 6553));
}

TEST_F(InputSystemTest, PadReadingsAreShapedLikeXInput)
{
    VirtualPad pad;
    Frame();
    pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768); // pushed fully up
    pad.SetAxis(SDL_CONTROLLER_AXIS_RIGHTY, 16384); // half down
    pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    pad.Press(SDL_CONTROLLER_BUTTON_A);
    pad.Press(SDL_CONTROLLER_BUTTON_DPAD_UP);
    Frame();

    const Joystick* joystick = input.GetJoystick(0);
    ASSERT_TRUE(joystick->connected);
    EXPECT_EQ(joystick->state.thumbLeftY, 32767);
    EXPECT_EQ(joystick->state.thumbRightY, -16384);
    EXPECT_EQ(joystick->state.leftTrigger, 255);
    EXPECT_EQ(joystick->state.rightTrigger, 0);
    EXPECT_EQ(joystick->state.buttons, GamepadButton::kA | GamepadButton::kDpadUp);
    EXPECT_TRUE(joystick->IsButtonTriggered(GamepadButton::kA));
    EXPECT_FLOAT_EQ(joystick->axes[Joystick::LeftY], 1.0f);
    EXPECT_NEAR(joystick->axes[Joystick::RightY], -0.375f, 0.001f);
    Frame();
    EXPECT_FALSE(joystick->IsButtonTriggered(GamepadButton::kA));
    EXPECT_FALSE(input.GetJoystick(1)->connected);
}

TEST_F(InputSystemTest, PadUnpluggedMidFrameKeepsItsLastStateDisconnected)
{
    VirtualPad pad;
    Frame();
    pad.SetAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    pad.Press(SDL_CONTROLLER_BUTTON_B);
    Frame();
    ASSERT_TRUE(input.GetJoystick(0)->connected);

    window.Update(0.016f);
    pad.Unplug();
    input.Update(0.016f);
    const Joystick* joystick = input.GetJoystick(0);
    EXPECT_FALSE(joystick->connected);
    EXPECT_EQ(joystick->state.thumbRightX, 32767);
    EXPECT_EQ(joystick->state.buttons, GamepadButton::kB);
    EXPECT_FLOAT_EQ(joystick->axes[Joystick::RightX], 1.0f);

    Frame(); // the unplug event itself
    EXPECT_FALSE(joystick->connected);
    EXPECT_EQ(joystick->state.thumbRightX, 32767);

    VirtualPad second;
    Frame();
    Frame();
    EXPECT_TRUE(input.GetJoystick(0)->connected) << "the next pad takes the free slot";
}

TEST_F(InputSystemTest, OutOfRangeKeysAndPadsAreAssertions)
{
    EXPECT_NO_THROW(input.GetJoystick(3));
    EXPECT_NO_THROW(input.IsTriggered(254));
    const auto message = [](const auto& call)
    {
        try
        {
            call();
        }
        catch (const std::runtime_error& error)
        {
            return std::string(error.what());
        }
        return std::string("no assertion");
    };
    const std::string joystick = message([&] { input.GetJoystick(4); });
    EXPECT_NE(joystick.find("Assertion failed: 'index < m_joysticks.size()' was false."), std::string::npos)
        << joystick;
    EXPECT_NE(joystick.find(": 500"), std::string::npos) << joystick;
    const std::string triggered = message([&] { input.IsTriggered(255); });
    EXPECT_NE(triggered.find("'keyCode >= 0 && keyCode < m_inputStates.size()' was false."),
              std::string::npos);
    EXPECT_NE(triggered.find(": 326"), std::string::npos) << triggered;
    EXPECT_NE(message([&] { input.IsHeld(255); }).find(": 340"), std::string::npos);
}

} // namespace
} // namespace Morvane::Input
