#include "Input/KeyStates.h"

#include "Input/KeyTable.h"
#include "Platform/KeyCodes.h"

#include <SDL_events.h>
#include <gtest/gtest.h>
#include <vector>

namespace Morvane::Input
{
namespace
{
namespace VK = Platform::VirtualKey;

SDL_Event KeyEvent(SDL_Scancode scancode, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.scancode = scancode;
    return event;
}

SDL_Event ButtonEvent(Uint8 button, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = button;
    return event;
}

// Samples `key` once per entry of `down` and returns what it read each frame.
std::vector<KeyState> Script(const std::vector<bool>& down)
{
    KeyStates states;
    std::vector<KeyState> read;
    for (const bool isDown : down)
    {
        states.Sample([&](unsigned code) { return code == VK::kA && isDown; });
        read.push_back(states.Get(VK::kA));
    }
    return read;
}

TEST(KeyStates, TransitionTableMatchesTheFourStates)
{
    using enum KeyState;
    EXPECT_EQ(KeyStates::Next(Idle, true), Triggered);
    EXPECT_EQ(KeyStates::Next(Idle, false), Idle);
    EXPECT_EQ(KeyStates::Next(Triggered, true), Held);
    EXPECT_EQ(KeyStates::Next(Triggered, false), Released);
    EXPECT_EQ(KeyStates::Next(Held, true), Held);
    EXPECT_EQ(KeyStates::Next(Held, false), Released);
    EXPECT_EQ(KeyStates::Next(Released, true), Triggered);
    EXPECT_EQ(KeyStates::Next(Released, false), Idle);
}

TEST(KeyStates, KeyHeldForThreeFramesThenLetGo)
{
    using enum KeyState;
    EXPECT_EQ(Script({true, true, true, false, false}),
              (std::vector<KeyState>{Triggered, Held, Held, Released, Idle}));
}

TEST(KeyStates, PressedAgainRightAfterReleaseReadsTriggered)
{
    using enum KeyState;
    EXPECT_EQ(Script({true, false, true, true}),
              (std::vector<KeyState>{Triggered, Released, Triggered, Held}));
}

TEST(KeyStates, ClearPutsEveryKeyToIdleAndTheTableHas255Keys)
{
    KeyStates states;
    states.Sample([](unsigned) { return true; });
    states.Clear();
    EXPECT_EQ(states.size(), 255u);
    for (unsigned code = 0; code < states.size(); ++code)
    {
        ASSERT_EQ(states.Get(code), KeyState::Idle) << code;
    }
}

TEST(KeyTable, PressAndReleaseBetweenTwoSamplesIsNeverSeen)
{
    KeyTable table;
    KeyStates states;
    table.HandleEvent(KeyEvent(SDL_SCANCODE_A, true));
    table.HandleEvent(KeyEvent(SDL_SCANCODE_A, false));
    states.Sample([&](unsigned code) { return table.IsDown(code); });
    EXPECT_EQ(states.Get(VK::kA), KeyState::Idle);
}

TEST(KeyTable, SidelessModifiersFollowEitherSide)
{
    KeyTable table;
    table.HandleEvent(KeyEvent(SDL_SCANCODE_RSHIFT, true));
    EXPECT_TRUE(table.IsDown(VK::kShift));
    EXPECT_TRUE(table.IsDown(VK::kRightShift));
    EXPECT_FALSE(table.IsDown(VK::kLeftShift));
    table.HandleEvent(KeyEvent(SDL_SCANCODE_LSHIFT, true));
    table.HandleEvent(KeyEvent(SDL_SCANCODE_RSHIFT, false));
    EXPECT_TRUE(table.IsDown(VK::kShift));
    table.HandleEvent(KeyEvent(SDL_SCANCODE_LSHIFT, false));
    EXPECT_FALSE(table.IsDown(VK::kShift));

    table.HandleEvent(KeyEvent(SDL_SCANCODE_LCTRL, true));
    table.HandleEvent(KeyEvent(SDL_SCANCODE_RALT, true));
    EXPECT_TRUE(table.IsDown(VK::kControl));
    EXPECT_TRUE(table.IsDown(VK::kMenu));
}

TEST(KeyTable, MouseButtonsShareTheKeyTable)
{
    KeyTable table;
    table.HandleEvent(ButtonEvent(SDL_BUTTON_LEFT, true));
    table.HandleEvent(ButtonEvent(SDL_BUTTON_RIGHT, true));
    table.HandleEvent(ButtonEvent(SDL_BUTTON_MIDDLE, true));
    EXPECT_TRUE(table.IsDown(0x01));
    EXPECT_TRUE(table.IsDown(0x02));
    EXPECT_TRUE(table.IsDown(0x04));
    table.HandleEvent(ButtonEvent(SDL_BUTTON_RIGHT, false));
    EXPECT_FALSE(table.IsDown(0x02));
}

TEST(KeyTable, KeysWithoutACodeAndOtherEventsChangeNothing)
{
    KeyTable table;
    table.HandleEvent(KeyEvent(SDL_SCANCODE_APPLICATION, true));
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    table.HandleEvent(motion);
    for (unsigned code = 0; code < 255; ++code)
    {
        ASSERT_FALSE(table.IsDown(code)) << code;
    }
}

TEST(KeyCodes, ScancodesMapToWindowsVirtualKeys)
{
    using Platform::ScancodeToVirtualKey;
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_A), 0x41u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_Z), 0x5Au);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_0), 0x30u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_1), 0x31u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_9), 0x39u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_F1), 0x70u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_F9), 0x78u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_F12), 0x7Bu);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_ESCAPE), 0x1Bu);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_SPACE), 0x20u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_RETURN), 0x0Du);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_KP_ENTER), 0x0Du);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_LSHIFT), 0xA0u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_RSHIFT), 0xA1u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_LCTRL), 0xA2u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_RALT), 0xA5u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_LEFT), 0x25u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_UP), 0x26u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_RIGHT), 0x27u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_DOWN), 0x28u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_TAB), 0x09u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_BACKSPACE), 0x08u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_DELETE), 0x2Eu);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_KP_0), 0x60u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_KP_1), 0x61u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_KP_9), 0x69u);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_KP_PLUS), 0x6Bu);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_KP_DIVIDE), 0x6Fu);
    EXPECT_FALSE(ScancodeToVirtualKey(SDL_SCANCODE_UNKNOWN));
    EXPECT_FALSE(ScancodeToVirtualKey(SDL_SCANCODE_F13));
}
} // namespace
} // namespace Morvane::Input
