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
    const struct
    {
        std::int16_t raw;
        float value, tolerance;
    } readings[] = {
        {6552, 0, 0}, {-6553, 0, 0}, {32767, 1, 1e-6f}, {-32767, -1, 1e-6f}, {-16384, -0.375f, 1e-3f}};
    for (const auto& [raw, value, tolerance] : readings)
    {
        EXPECT_NEAR(Joystick::NormalizeAxis(raw, zone), value, tolerance) << raw;
    }
    const float lowest = Joystick::NormalizeAxis(-32768, zone);
    EXPECT_TRUE(lowest < -1.0f && lowest > -1.001f) << lowest;
    // A dead zone covering the whole travel must not divide by zero.
    EXPECT_EQ(Joystick::NormalizeAxis(1000, 32767), 0.0f);
    EXPECT_TRUE(std::isfinite(Joystick::NormalizeAxis(32767, 32767)));
}
} // namespace
} // namespace Morvane::Input
