#include "Input/InputSystem.h"

#include "Files/FilesSystem.h"
#include "Platform/KeyCodes.h"
#include "Support/SdlEvents.h"
#include "Support/TempDirectory.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <filesystem>
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
    void SetButton(SDL_GameControllerButton button, bool down)
    {
        SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0);
    }

    void Unplug()
    {
        if (m_joystick == nullptr)
        {
            return;
        }
        const SDL_JoystickID instance = SDL_JoystickInstanceID(m_joystick);
        for (int device = 0; device < SDL_NumJoysticks(); ++device)
        {
            if (SDL_JoystickGetDeviceInstanceID(device) == instance)
            {
                SDL_JoystickDetachVirtual(device);
            }
        }
        SDL_JoystickClose(m_joystick);
        m_joystick = nullptr;
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

    void ExpectEveryKeyIdle() const
    {
        for (unsigned code = 0; code < 255; ++code)
        {
            ASSERT_EQ(input.GetKeyState(code), KeyState::Idle) << code;
        }
    }

    Window::System& window = Window::System::GetInstance();
    System& input = System::GetInstance();

private:
    std::optional<Testing::ScriptedInputOnly> m_scripted;
};

TEST_F(InputSystemTest, KeysThroughTheRealEventPath)
{
    PushKey(SDL_SCANCODE_A, true);
    Frame();
    EXPECT_TRUE(input.IsTriggered(VK::kA));
    EXPECT_FALSE(input.IsHeld(VK::kA));
    Frame();
    EXPECT_TRUE(input.IsHeld(VK::kA));
    Frame();
    EXPECT_TRUE(input.IsHeld(VK::kA));
    PushKey(SDL_SCANCODE_A, false);
    Frame();
    EXPECT_EQ(input.GetKeyState(VK::kA), KeyState::Released);
    Frame();
    EXPECT_EQ(input.GetKeyState(VK::kA), KeyState::Idle);
}

TEST_F(InputSystemTest, KeyPressedAndReleasedWithinOneFrameIsNeverSeen)
{
    PushKey(SDL_SCANCODE_SPACE, true);
    PushKey(SDL_SCANCODE_SPACE, false);
    Frame();
    EXPECT_EQ(input.GetKeyState(VK::kSpace), KeyState::Idle);
    Frame();
    EXPECT_EQ(input.GetKeyState(VK::kSpace), KeyState::Idle);
}

TEST_F(InputSystemTest, MouseButtonsAndModifiersReadAsVirtualKeys)
{
    Testing::PushMouseButton(SDL_BUTTON_LEFT, true);
    PushKey(SDL_SCANCODE_LSHIFT, true);
    Frame();
    EXPECT_TRUE(input.IsTriggered(VK::kLeftButton));
    EXPECT_TRUE(input.IsTriggered(VK::kShift));
    EXPECT_TRUE(input.IsTriggered(VK::kLeftShift));
    EXPECT_FALSE(input.IsTriggered(VK::kRightShift));
    Testing::PushMouseButton(SDL_BUTTON_LEFT, false);
    Frame();
    EXPECT_EQ(input.GetKeyState(VK::kLeftButton), KeyState::Released);
    EXPECT_TRUE(input.IsHeld(VK::kShift));
}

TEST_F(InputSystemTest, MouseMovesInClientPixelsWithYUp)
{
    PushMouseMotion(100, 200, 0, 0);
    Frame();
    EXPECT_EQ(input.mouseX, 100);
    EXPECT_EQ(input.mouseY, 200);
    PushMouseMotion(105, 198, 5, -2);
    PushMouseMotion(110, 195, 5, -3);
    Frame();
    EXPECT_EQ(input.mouseX, 110);
    EXPECT_EQ(input.mouseY, 195);
    EXPECT_EQ(input.mouseDeltaX, 10);
    EXPECT_EQ(input.mouseDeltaY, 5);
    Frame();
    EXPECT_EQ(input.mouseDeltaX, 0);
    EXPECT_EQ(input.mouseDeltaY, 0);

    glm::vec2 position;
    input.GetMousePosition(position);
    EXPECT_EQ(position, glm::vec2(110.0f, 195.0f));
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
    EXPECT_EQ(input.mouseDeltaY, 0);

    input.mouseLocked = false;
    Frame();
    EXPECT_EQ(input.mouseX, 640);
    EXPECT_EQ(input.mouseY, 400);
    EXPECT_EQ(input.mouseDeltaX, 0);
    EXPECT_EQ(input.mouseDeltaY, 0);
}

TEST_F(InputSystemTest, MouseInACameraViewIsMeasuredFromTheCentreOfTheClientArea)
{
    PushMouseMotion(0, 0, 0, 0);
    Frame();
    glm::vec2 world;
    input.GetMousePosition(world, glm::vec2(1.0f, 2.0f), glm::vec2(20.0f, 10.0f));
    EXPECT_FLOAT_EQ(world.x, -9.0f);
    EXPECT_FLOAT_EQ(world.y, 7.0f);
    PushMouseMotion(640, 400, 0, 0);
    Frame();
    input.GetMousePosition(world, glm::vec2(1.0f, 2.0f), glm::vec2(20.0f, 10.0f));
    EXPECT_FLOAT_EQ(world.x, 1.0f);
    EXPECT_FLOAT_EQ(world.y, 2.0f);
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
    ExpectEveryKeyIdle();
    EXPECT_EQ(input.mouseDeltaX, 0);
    EXPECT_EQ(input.mouseDeltaY, 0);
    EXPECT_EQ(input.mouseX, 320);
    EXPECT_EQ(input.mouseY, 310);
    EXPECT_EQ(pad.rumbles.back(), std::make_pair(Uint16{0}, Uint16{0}));
    const Joystick* joystick = input.GetJoystick(0);
    EXPECT_EQ(joystick->state.thumbLeftX, 0);
    EXPECT_EQ(joystick->axes[Joystick::LeftX], 0.0f);
    input.SetVibration(0, 3000, 3000);
    EXPECT_EQ(pad.rumbles.back(), std::make_pair(Uint16{0}, Uint16{0}));

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
    pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 16384);
    pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768); // pushed fully up
    pad.SetAxis(SDL_CONTROLLER_AXIS_RIGHTY, 16384); // half down
    pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    pad.SetButton(SDL_CONTROLLER_BUTTON_A, true);
    pad.SetButton(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    Frame();

    const Joystick* joystick = input.GetJoystick(0);
    ASSERT_TRUE(joystick->connected);
    EXPECT_EQ(joystick->index, 0u);
    EXPECT_EQ(joystick->state.thumbLeftX, 16384);
    EXPECT_EQ(joystick->state.thumbLeftY, 32767);
    EXPECT_EQ(joystick->state.thumbRightY, -16384);
    EXPECT_EQ(joystick->state.leftTrigger, 255);
    EXPECT_EQ(joystick->state.rightTrigger, 0);
    EXPECT_EQ(joystick->state.buttons, GamepadButton::kA | GamepadButton::kDpadUp);
    EXPECT_TRUE(joystick->IsButtonTriggered(GamepadButton::kA));
    EXPECT_FLOAT_EQ(joystick->axes[Joystick::LeftY], 1.0f);
    EXPECT_NEAR(joystick->axes[Joystick::RightY], -0.375f, 0.001f);
    Frame();
    EXPECT_FALSE(input.GetJoystick(0)->IsButtonTriggered(GamepadButton::kA));
    for (unsigned index = 1; index < 4; ++index)
    {
        EXPECT_FALSE(input.GetJoystick(index)->connected) << index;
    }
}

TEST_F(InputSystemTest, PadUnpluggedMidFrameKeepsItsLastStateDisconnected)
{
    VirtualPad pad;
    Frame();
    pad.SetAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    pad.SetButton(SDL_CONTROLLER_BUTTON_B, true);
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

    // The next pad plugged in takes the free slot.
    VirtualPad second;
    Frame();
    Frame();
    EXPECT_TRUE(input.GetJoystick(0)->connected);
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

    const std::string held = message([&] { input.IsHeld(255); });
    EXPECT_NE(held.find(": 340"), std::string::npos) << held;
}

TEST_F(InputSystemTest, F9ChecksTheFileWatches)
{
    Testing::TempDirectory folder;
    const std::string path = folder.Write("Watched.xml", "<A/>");
    Files::System& files = Files::System::GetInstance();
    int calls = 0;
    ASSERT_TRUE(files.AddWatch("watched", path, [&calls](const std::string&) { ++calls; }));
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));

    Frame();
    files.Update(0.016f);
    EXPECT_EQ(calls, 0);

    PushKey(SDL_SCANCODE_F9, true);
    Frame();
    files.Update(0.016f);
    EXPECT_EQ(calls, 1);
    files.Release();
}

TEST(InputSystemWithoutPads, InitializeMakesFourIdlePads)
{
    System& input = System::GetInstance();
    ASSERT_TRUE(input.Initialize());
    for (unsigned index = 0; index < 4; ++index)
    {
        const Joystick* joystick = input.GetJoystick(index);
        EXPECT_EQ(joystick->index, index);
        EXPECT_FALSE(joystick->connected);
        EXPECT_EQ(joystick->deadZone, 6553);
    }
    input.Release();
}

TEST(InputSystemWithoutWindow, EverythingReadsIdle)
{
    System& input = System::GetInstance();
    ASSERT_TRUE(input.Initialize());
    input.Update(0.016f);
    EXPECT_FALSE(input.IsTriggered(VK::kA));
    EXPECT_EQ(input.mouseDeltaX, 0);
    input.Release();
}
} // namespace
} // namespace Morvane::Input
