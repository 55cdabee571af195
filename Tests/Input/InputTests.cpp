#include "Input/InputSystem.h"
#include "Input/Joystick.h"
#include "Input/KeyStates.h"
#include "Platform/KeyCodes.h"
#include "Support/SdlEvents.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

namespace Morvane::Input
{
namespace
{
namespace VK = Platform::VirtualKey;
using namespace Testing;
using enum KeyState;

// A game pad made in software, plugged in for as long as it lives; it records what it is told to rumble.
class VirtualPad
{
public:
    using Rumble = std::pair<Uint16, Uint16>;

    VirtualPad()
    {
        SDL_VirtualJoystickDesc description{};
        description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        description.naxes = SDL_CONTROLLER_AXIS_MAX;
        description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        description.name = "Test Pad";
        description.userdata = this;
        description.Rumble = [](void* self, Uint16 low, Uint16 high)
        {
            static_cast<VirtualPad*>(self)->rumbles.emplace_back(low, high);
            return 0;
        };
        m_joystick = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&description));
        EXPECT_NE(m_joystick, nullptr) << SDL_GetError();
    }
    ~VirtualPad() { Unplug(); }

    void SetAxis(SDL_GameControllerAxis axis, Sint16 to) { SDL_JoystickSetVirtualAxis(m_joystick, axis, to); }
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

    std::vector<Rumble> rumbles;

private:
    SDL_Joystick* m_joystick = nullptr;
};

class InputSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        PrepareVideoForTests();
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
    std::vector<KeyState> States(const std::vector<unsigned>& codes) const
    {
        std::vector<KeyState> states;
        for (const unsigned code : codes)
        {
            states.push_back(input.GetKeyState(code));
        }
        return states;
    }
    std::pair<int, int> Mouse() const { return {input.mouseX, input.mouseY}; }
    std::pair<int, int> Delta() const { return {input.mouseDeltaX, input.mouseDeltaY}; }

    Window::System& window = Window::System::GetInstance();
    System& input = System::GetInstance();

private:
    std::optional<ScriptedInputOnly> m_scripted;
};

TEST_F(InputSystemTest, KeysAndMouseButtonsThroughTheRealEventPath)
{
    const std::vector<unsigned> keys = {VK::kA, VK::kRightButton, VK::kShift, VK::kRightShift, VK::kSpace};
    PushKey(SDL_SCANCODE_A, true);
    PushMouseButton(SDL_BUTTON_RIGHT, true);
    PushKey(SDL_SCANCODE_LSHIFT, true);
    PushKey(SDL_SCANCODE_SPACE, true); // pressed and let go between two frames: never seen
    PushKey(SDL_SCANCODE_SPACE, false);
    Frame();
    EXPECT_EQ(States(keys), (std::vector{Triggered, Triggered, Triggered, Idle, Idle}));
    Frame();
    EXPECT_EQ(States(keys), (std::vector{Held, Held, Held, Idle, Idle}));
    PushMouseButton(SDL_BUTTON_RIGHT, false);
    PushKey(SDL_SCANCODE_A, false);
    Frame();
    EXPECT_EQ(States(keys), (std::vector{Released, Released, Held, Idle, Idle}));
    PushKey(SDL_SCANCODE_A, true);
    PushKey(SDL_SCANCODE_RSHIFT, true);
    PushKey(SDL_SCANCODE_LSHIFT, false);
    Frame();
    EXPECT_EQ(States(keys), (std::vector{Triggered, Idle, Held, Triggered, Idle}))
        << "the right side went down as the left came up";
    PushKey(SDL_SCANCODE_A, false);
    PushKey(SDL_SCANCODE_RSHIFT, false);
    Frame();
    EXPECT_EQ(States({VK::kA, VK::kShift}), (std::vector{Released, Released}));
}

TEST_F(InputSystemTest, MouseMovesInClientPixelsWithYUp)
{
    PushMouseMotion(100, 200, 0, 0);
    Frame();
    PushMouseMotion(105, 198, 5, -2);
    PushMouseMotion(110, 195, 5, -3);
    Frame();
    EXPECT_EQ(Mouse(), std::pair(110, 195));
    EXPECT_EQ(Delta(), std::pair(10, 5)) << "y grows upwards";
    Frame();
    EXPECT_EQ(Delta(), std::pair(0, 0));
}

TEST_F(InputSystemTest, LockedMouseStaysAtTheCentreAndReportsMovement)
{
    // The pointer's arrival in the window, reported as a move from (0, 0), comes before the lock.
    PushMouseMotion(640, 400, 640, 400);
    input.mouseLocked = true;
    Frame();
    EXPECT_EQ(Delta(), std::pair(0, 0)) << "motion from before the lock";
    Frame();
    PushMouseMotion(650, 395, 10, -5);
    Frame();
    EXPECT_EQ(Delta(), std::pair(10, 5));
    EXPECT_EQ(Mouse(), std::pair(640, 400));
    Frame();
    EXPECT_EQ(Delta(), std::pair(0, 0));
    input.mouseLocked = false;
    Frame();
    EXPECT_EQ(Mouse(), std::pair(640, 400));
    EXPECT_EQ(Delta(), std::pair(0, 0)) << "unlocking is not a movement";
}

TEST_F(InputSystemTest, FocusLossClearsEveryStateAndStopsThePads)
{
    const unsigned w = VK::kA + ('W' - 'A'), b = VK::kA + ('B' - 'A');
    VirtualPad pad;
    Frame();
    pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    PushKey(SDL_SCANCODE_W, true);
    PushMouseMotion(300, 300, 0, 0);
    Frame();
    input.SetVibration(0, 1000, 2000);
    PushMouseMotion(320, 310, 20, 10);
    Frame();
    ASSERT_TRUE(input.IsHeld(w));
    ASSERT_EQ(pad.rumbles.back(), VirtualPad::Rumble(1000, 2000));

    PushWindowEvent(window.window, SDL_WINDOWEVENT_FOCUS_LOST);
    PushMouseMotion(400, 400, 80, 90);
    PushKey(SDL_SCANCODE_B, true);
    Frame();
    EXPECT_EQ(States({w, b}), (std::vector{Idle, Idle}));
    EXPECT_EQ(Delta(), std::pair(0, 0));
    EXPECT_EQ(input.mouseX, 320);
    EXPECT_EQ(pad.rumbles.back(), VirtualPad::Rumble(0, 0));
    EXPECT_EQ(input.GetJoystick(0)->axes[Joystick::LeftX], 0.0f);
    input.SetVibration(0, 3000, 3000);
    EXPECT_EQ(pad.rumbles.back(), VirtualPad::Rumble(0, 0)) << "no rumble while away";

    // Back in front: keys still down come back as triggered.
    PushWindowEvent(window.window, SDL_WINDOWEVENT_FOCUS_GAINED);
    Frame();
    EXPECT_EQ(States({w, b}), (std::vector{Triggered, Triggered}));
    EXPECT_FLOAT_EQ(input.GetJoystick(0)->axes[Joystick::LeftX], Joystick::NormalizeAxis(20000, 6553));
}

TEST_F(InputSystemTest, PadReadingsAreShapedLikeXInputAndKeptDisconnectedWhenUnpluggedMidFrame)
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
    const auto& state = joystick->state;
    ASSERT_TRUE(joystick->connected);
    EXPECT_EQ(std::tuple(state.thumbLeftY, state.thumbRightY, state.leftTrigger, state.rightTrigger),
              std::tuple(32767, -16384, 255, 0));
    EXPECT_TRUE(joystick->IsButtonTriggered(GamepadButton::kA));
    EXPECT_NEAR(joystick->axes[Joystick::RightY], -0.375f, 0.001f);
    Frame();
    EXPECT_FALSE(joystick->IsButtonTriggered(GamepadButton::kA));
    EXPECT_FALSE(input.GetJoystick(1)->connected);

    window.Update(0.016f);
    pad.Unplug();
    input.Update(0.016f);
    for (const char* when : {"mid-frame", "after the unplug event"})
    {
        EXPECT_FALSE(joystick->connected) << when;
        EXPECT_EQ(state.buttons, GamepadButton::kA | GamepadButton::kDpadUp) << when;
        EXPECT_FLOAT_EQ(joystick->axes[Joystick::LeftY], 1.0f) << when;
        Frame();
    }
    VirtualPad second;
    Frame();
    Frame();
    EXPECT_TRUE(input.GetJoystick(0)->connected) << "the next pad takes the free slot";
}

TEST_F(InputSystemTest, OutOfRangeKeysAndPadsAreAssertions)
{
    using testing::HasSubstr;
    const auto assertion = [](const auto& matcher)
    { return testing::ThrowsMessage<std::runtime_error>(matcher); };
    EXPECT_NO_THROW(input.GetJoystick(3));
    EXPECT_NO_THROW(input.IsTriggered(254));
    EXPECT_THAT([&] { input.GetJoystick(4); },
                assertion(AllOf(HasSubstr("Assertion failed: 'index < m_joysticks.size()' was false."),
                                HasSubstr("Source\\System\\System.cpp: 500"))));
    EXPECT_THAT([&] { input.IsTriggered(255); },
                assertion(AllOf(HasSubstr("'keyCode >= 0 && keyCode < m_inputStates.size()' was false."),
                                HasSubstr("Source\\System\\System.cpp: 326"))));
    EXPECT_THAT([&] { input.IsHeld(255); }, assertion(HasSubstr("Source\\System\\System.cpp: 340")));
}

TEST(JoystickDeadZone, ValuesFromTheDeadZoneToFullTravel)
{
    constexpr std::int16_t zone = Joystick::kDefaultDeadZone;
    for (const auto& [raw, value] : {std::pair<std::int16_t, float>{6552, 0}, {-6553, 0}, {-32767, -1}})
    {
        EXPECT_FLOAT_EQ(Joystick::NormalizeAxis(raw, zone), value) << raw;
    }
    const float lowest = Joystick::NormalizeAxis(-32768, zone);
    EXPECT_TRUE(lowest < -1.0f && lowest > -1.001f) << lowest;
    // A dead zone covering the whole travel must not divide by zero.
    EXPECT_EQ(Joystick::NormalizeAxis(1000, 32767), 0.0f);
    EXPECT_TRUE(std::isfinite(Joystick::NormalizeAxis(32767, 32767)));
}
} // namespace
} // namespace Morvane::Input
