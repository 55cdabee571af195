#include "Input/Joystick.h"

#include <cmath>
#include <gtest/gtest.h>

namespace Morvane::Input
{
namespace
{
TEST(JoystickDeadZone, ValuesFromTheDeadZoneToFullTravel)
{
    constexpr std::int16_t zone = Joystick::kDefaultDeadZone;
    EXPECT_EQ(Joystick::NormalizeAxis(6552, zone), 0.0f);
    EXPECT_EQ(Joystick::NormalizeAxis(-6552, zone), 0.0f);
    EXPECT_EQ(Joystick::NormalizeAxis(6553, zone), 0.0f);
    EXPECT_FLOAT_EQ(Joystick::NormalizeAxis(32767, zone), 1.0f);
    EXPECT_FLOAT_EQ(Joystick::NormalizeAxis(-32767, zone), -1.0f);
    EXPECT_NEAR(Joystick::NormalizeAxis(-16384, zone), -0.375f, 0.001f);
    EXPECT_NEAR(Joystick::NormalizeAxis(16384, zone), 0.375f, 0.001f);
    const float lowest = Joystick::NormalizeAxis(-32768, zone);
    EXPECT_LT(lowest, -1.0f);
    EXPECT_GT(lowest, -1.001f);
}

TEST(JoystickDeadZone, AWholeTravelDeadZoneStaysFinite)
{
    EXPECT_EQ(Joystick::NormalizeAxis(1000, 32767), 0.0f);
    EXPECT_TRUE(std::isfinite(Joystick::NormalizeAxis(32767, 32767)));
    EXPECT_FLOAT_EQ(Joystick::NormalizeAxis(100, 0), 100.0f / 32767.0f);
}

TEST(Joystick, ButtonIsTriggeredOnlyOnTheFrameItGoesDown)
{
    Joystick pad;
    pad.state.buttons = GamepadButton::kA;
    EXPECT_TRUE(pad.IsButtonTriggered(GamepadButton::kA));
    EXPECT_TRUE(pad.IsButtonTriggered(GamepadButton::kA | GamepadButton::kB));
    EXPECT_FALSE(pad.IsButtonTriggered(GamepadButton::kB));
    pad.previousState.buttons = GamepadButton::kA;
    EXPECT_FALSE(pad.IsButtonTriggered(GamepadButton::kA));
    // One of the mask already down last frame: not a new press of "any of them".
    pad.state.buttons = GamepadButton::kA | GamepadButton::kB;
    EXPECT_FALSE(pad.IsButtonTriggered(GamepadButton::kA | GamepadButton::kB));
}

TEST(Joystick, ReadingsConnectTheAxesAndCountPackets)
{
    Joystick pad;
    GamepadState reading;
    reading.thumbLeftX = 32767;
    reading.thumbRightY = -16384;
    pad.Receive(reading);
    EXPECT_TRUE(pad.connected);
    EXPECT_FLOAT_EQ(pad.axes[Joystick::LeftX], 1.0f);
    EXPECT_NEAR(pad.axes[Joystick::RightY], -0.375f, 0.001f);
    EXPECT_EQ(pad.state.packetNumber, 1u);
    pad.Receive(reading);
    EXPECT_EQ(pad.state.packetNumber, 1u);
    reading.buttons = GamepadButton::kStart;
    pad.Receive(reading);
    EXPECT_EQ(pad.state.packetNumber, 2u);

    pad.Lose();
    EXPECT_FALSE(pad.connected);
    EXPECT_EQ(pad.state.buttons, GamepadButton::kStart);
    EXPECT_FLOAT_EQ(pad.axes[Joystick::LeftX], 1.0f);

    pad.ClearState();
    EXPECT_EQ(pad.state.buttons, 0);
    EXPECT_EQ(pad.axes[Joystick::LeftX], 0.0f);
}
} // namespace
} // namespace Morvane::Input
