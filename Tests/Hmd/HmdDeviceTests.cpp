#include "Hmd/HmdDevice.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>
#include <string>

namespace Morvane::Hmd
{
namespace
{
using Testing::ContainsWrapped;

// Without a display library there is no display: one warning however often the game asks, and
// parameters under which the distortion maps every coordinate onto itself.
TEST(HmdDevice, WithoutADisplayItWarnsOnceAndStaysNeutral)
{
    Device& device = Device::GetInstance();
    Testing::LogCapture capture;
    EXPECT_FALSE(device.Open());
    EXPECT_FALSE(device.Open());
    const std::string log = capture.Text();
    EXPECT_TRUE(ContainsWrapped(log, "OculusRift: No Hmd device")) << log;
    EXPECT_EQ(log.find("No Hmd device"), log.rfind("No Hmd device")) << log;
    EXPECT_FALSE(device.IsPresent());
    EXPECT_EQ(device.GetOrientation(), glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    for (const Eye eye : {Eye::Left, Eye::Right})
    {
        const EyeParameters& parameters = device.GetEye(eye);
        EXPECT_EQ(parameters.lensCenter, glm::vec2(0.5f));
        EXPECT_EQ(parameters.screenCenter, glm::vec2(0.5f));
        EXPECT_EQ(parameters.scale, glm::vec2(1.0f));
        EXPECT_EQ(parameters.scaleIn, glm::vec2(1.0f));
        EXPECT_EQ(parameters.warp, glm::vec4(1.0f, 0.0f, 0.0f, 0.0f));
        EXPECT_EQ(parameters.view, glm::mat4(1.0f));
        EXPECT_EQ(parameters.projection, glm::mat4(1.0f));
        EXPECT_EQ(parameters.textureMatrix, glm::mat4(1.0f));
    }
}
} // namespace
} // namespace Morvane::Hmd
