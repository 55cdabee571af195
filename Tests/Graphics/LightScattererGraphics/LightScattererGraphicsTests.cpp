#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/LightScattererGraphics/LightScattererGraphics.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/FrameCapture.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Texture/Texture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::ContainsWrapped;
using Testing::CountOf;
using Testing::ParseXml;

constexpr int kWidth = 160;
constexpr int kHeight = 100;
const char* const kAttributes =
    R"(occlusionTexture="Texture_PostInput" lightObjectName="Light" lightCameraName="Camera_World")";

// An occlusion picture ("Texture_PostInput") of the light alone and a light object in front of a camera at
// the origin looking down -z; the rays drawn onto the 160 x 100 window.
class LightScattererGraphicsTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Initialize());
        // The light's disc, white on black, at the picture's centre.
        std::vector<float> disc;
        for (int y = 0; y < kHeight; ++y)
        {
            for (int x = 0; x < kWidth; ++x)
            {
                const float value = std::hypot(x - kWidth / 2, y - kHeight / 2) < 10.0 ? 1.0f : 0.0f;
                disc.insert(disc.end(), {value, value, value, 1.0f});
            }
        }
        auto picture = std::make_unique<Texture>("Texture_PostInput");
        picture->SetColorData(std::move(disc), kWidth, kHeight);
        ASSERT_TRUE(picture->Initialize());
        ASSERT_TRUE(resources.AddResource(std::move(picture)));
        ASSERT_TRUE(System::GetInstance().Parse(ParseXml(R"(<GraphicsSystem>
            <Camera name="Camera_World" position="0;0;0" target="0;0;-1" width="160" height="100" fov="60"
                    nearPlane="0.1" farPlane="100"/>
            <Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0" width="160" height="100"
                    nearPlane="0.1" farPlane="10"/>
            <Set name="Rays"/>
            <PassConfiguration><Pass name="ConditionalPass_LightScattering_Normal">
                <Command type="SetFrameBuffer"/><Command type="Viewport" width="160" height="100"/>
                <Command type="Depth" enabled="false" write="false"/><Command type="Blend" enabled="false"/>
                <Command type="Render" set="Rays" shader="Shader_LightScattering" camera="Camera_GUI"/>
            </Pass></PassConfiguration></GraphicsSystem>)")
                                                    .get()));
        Game::System::GetInstance().CreateObject(
            ParseXml(R"(<Object name="Light"><Transform position="0;0;-50"/></Object>)").get());
    }

    static LightScattererGraphics* Create(const std::string& attributes)
    {
        return dynamic_cast<LightScattererGraphics*>(
            AddObject(R"(<Object name="lsc_f"><Transform/><Graphics type="GraphicsComponent_LightScattering"
                renderable="Mesh_ScreenQuad" renderSets="Rays" )" +
                      attributes + "/></Object>"));
    }

    static void MoveLight(const glm::vec3& position)
    {
        Game::System::GetInstance().GetObject("Light")->GetComponent<Game::TransformComponent>()->SetPosition(
            position);
    }

    static double Brightness(const Morvane::Texture::RgbImage& picture)
    {
        double sum = 0.0;
        for (const std::uint8_t value : picture.rgb)
        {
            sum += value;
        }
        return sum / static_cast<double>(picture.rgb.size());
    }

    static bool Finite(const glm::vec3& value)
    {
        return std::isfinite(value.x) && std::isfinite(value.y) && std::isfinite(value.z);
    }
};

// An absent attribute keeps the constructed value; a present one is read.
TEST_F(LightScattererGraphicsTest, AbsentParametersKeepTheirDefaults)
{
    const LightScattererGraphics* plain = Create(kAttributes);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetDecay(), 0.9f);
    EXPECT_EQ(plain->GetExposure(), 0.87f);
    EXPECT_EQ(plain->GetDensity(), 0.9f);
    EXPECT_EQ(plain->GetWeight(), 1.0f);
    const LightScattererGraphics* tuned = Create(std::string(kAttributes) + R"( decay="0.97" weight="0.5")");
    ASSERT_NE(tuned, nullptr);
    EXPECT_EQ(tuned->GetDecay(), 0.97f);
    EXPECT_EQ(tuned->GetWeight(), 0.5f);
    EXPECT_EQ(tuned->GetExposure(), 0.87f);
}

// Straight ahead the light is the screen's centre, with a depth between 0 and 1; long rays (little
// decay) brighten toward it.
TEST_F(LightScattererGraphicsTest, ALightAheadIsAtTheCentreAndTheRaysBrightenTowardIt)
{
    LightScattererGraphics* rays = Create(std::string(kAttributes) + R"( decay="0.99")");
    ASSERT_NE(rays, nullptr);
    const glm::vec3 centre = rays->LightPositionScreen();
    EXPECT_NEAR(centre.x, 0.5f, 1e-6f);
    EXPECT_NEAR(centre.y, 0.5f, 1e-6f);
    EXPECT_GT(centre.z, 0.0f);
    EXPECT_LT(centre.z, 1.0f);
    const Morvane::Texture::RgbImage picture = Testing::CaptureFrame(kWidth, kHeight);
    const auto grey = [&picture](int x, int y)
    { return static_cast<int>(picture.rgb[static_cast<std::size_t>((y * kWidth + x) * 3)]); };
    // From the left edge to the middle along the centre row: the rays gather more light toward it.
    EXPECT_LT(grey(10, 50), grey(40, 50));
    EXPECT_LT(grey(40, 50), grey(65, 50));
    EXPECT_LT(grey(65, 50), grey(80, 50));
}

// On the camera's plane (w = 0) or behind it the position has no meaning: a depth below 0, finite
// numbers, and no rays at all.
TEST_F(LightScattererGraphicsTest, ALightOnOrBehindTheCameraPlaneDrawsNoRays)
{
    LightScattererGraphics* rays = Create(kAttributes);
    ASSERT_NE(rays, nullptr);
    for (const glm::vec3& place : {glm::vec3(0.0f, 0.0f, 50.0f), glm::vec3(3.0f, 1.0f, 0.0f)})
    {
        MoveLight(place);
        const glm::vec3 screen = rays->LightPositionScreen();
        EXPECT_TRUE(Finite(screen));
        EXPECT_LT(screen.z, 0.0f);
        EXPECT_EQ(Brightness(Testing::CaptureFrame(kWidth, kHeight)), 0.0);
    }
}

// The light object is looked up at each draw: once it is destroyed there are no rays and one warning,
// not a read of freed memory.
TEST_F(LightScattererGraphicsTest, ADestroyedLightStopsTheRaysWithOneWarning)
{
    ASSERT_NE(Create(kAttributes), nullptr);
    EXPECT_GT(Brightness(Testing::CaptureFrame(kWidth, kHeight)), 0.0);
    Game::System& game = Game::System::GetInstance();
    game.MarkForDeletion(game.GetObject("Light"));
    game.Update(0.016f);
    ASSERT_EQ(game.GetObject("Light"), nullptr);
    Testing::LogCapture capture;
    EXPECT_EQ(Brightness(Testing::CaptureFrame(kWidth, kHeight)), 0.0);
    EXPECT_EQ(Brightness(Testing::CaptureFrame(kWidth, kHeight)), 0.0);
    EXPECT_EQ(CountOf(capture.Text(), "is gone: no rays"), 1u) << capture.Text();
}

TEST_F(LightScattererGraphicsTest, AMissingLightCameraOrOcclusionFailsTheParse)
{
    struct Case
    {
        const char* attributes;
        const char* message;
    };
    for (const Case& bad : {Case{R"(occlusionTexture="Texture_PostInput" lightObjectName="Nothing"
                                    lightCameraName="Camera_World")",
                                 "Could not get light transform"},
                            Case{R"(occlusionTexture="Texture_PostInput" lightObjectName="Light"
                                    lightCameraName="Camera_Nowhere")",
                                 "Could not get light camera"},
                            Case{R"(occlusionTexture="Texture_Missing" lightObjectName="Light"
                                    lightCameraName="Camera_World")",
                                 "Could not get occlusion"}})
    {
        Testing::LogCapture capture;
        EXPECT_EQ(Create(bad.attributes), nullptr) << bad.message;
        EXPECT_TRUE(ContainsWrapped(capture.Text(), bad.message)) << capture.Text();
        EXPECT_TRUE(ContainsWrapped(capture.Text(), "/LightScatterer")) << capture.Text();
    }
}
} // namespace
} // namespace Morvane::Graphics
