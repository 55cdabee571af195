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
    EXPECT_EQ(zone, 6553);
    EXPECT_EQ(Joystick::NormalizeAxis(6552, zone), 0.0f);
    EXPECT_EQ(Joystick::NormalizeAxis(-6553, zone), 0.0f);
    EXPECT_FLOAT_EQ(Joystick::NormalizeAxis(32767, zone), 1.0f);
    EXPECT_FLOAT_EQ(Joystick::NormalizeAxis(-32767, zone), -1.0f);
    EXPECT_NEAR(Joystick::NormalizeAxis(-16384, zone), -0.375f, 0.001f);
    const float lowest = Joystick::NormalizeAxis(-32768, zone);
    EXPECT_LT(lowest, -1.0f);
    EXPECT_GT(lowest, -1.001f);
    // A dead zone covering the whole travel must not divide by zero.
    EXPECT_EQ(Joystick::NormalizeAxis(1000, 32767), 0.0f);
    EXPECT_TRUE(std::isfinite(Joystick::NormalizeAxis(32767, 32767)));
}
} // namespace
} // namespace Morvane::Input
