#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Golden.h"
#include "Graphics/DepthOfFieldGraphics/DepthOfFieldGraphics.h"
#include "Graphics/GraphicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/FrameCapture.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::ContainsWrapped;
using Testing::ParseXml;

constexpr int kWidth = 160;
constexpr int kHeight = 100;

std::unique_ptr<Texture> Picture(const std::string& name, std::vector<float> texels)
{
    auto picture = std::make_unique<Texture>(name);
    picture->SetColorData(std::move(texels), kWidth, kHeight);
    return picture;
}

// A 4-texel checker as "Texture_PostInput" whose left half lies at the focus depth (0.96) and right
// half at the far plane (1.0), through "Shader_DepthOfField" onto the 160 x 100 window.
class DepthOfFieldGraphicsTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Initialize());
        std::vector<float> checker;
        std::vector<float> depth;
        for (int y = 0; y < kHeight; ++y)
        {
            for (int x = 0; x < kWidth; ++x)
            {
                const float value = (x / 4 + y / 4) % 2 == 0 ? 0.9f : 0.1f;
                checker.insert(checker.end(), {value, value, value, 1.0f});
                const float distance = x < kWidth / 2 ? 0.96f : 1.0f;
                depth.insert(depth.end(), {distance, distance, distance, 1.0f});
            }
        }
        for (auto& [name, texels] :
             {std::pair{"Texture_PostInput", &checker}, std::pair{"Texture_PostDepth", &depth}})
        {
            auto picture = Picture(name, *texels);
            // Depths as floats: in bytes 0.96 would read back as 0.9608, a little out of focus.
            picture->SetInternalFormat(GL_RGBA32F);
            ASSERT_TRUE(picture->Initialize());
            ASSERT_TRUE(resources.AddResource(std::move(picture)));
        }
        ASSERT_TRUE(System::GetInstance().Parse(ParseXml(R"(<GraphicsSystem>
            <Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0" width="160" height="100"
                    nearPlane="0.1" farPlane="10"/>
            <Set name="Dof"/>
            <PassConfiguration><Pass name="ConditionalPass_Dof">
                <Command type="SetFrameBuffer"/><Command type="Viewport" width="160" height="100"/>
                <Command type="Depth" enabled="false" write="false"/><Command type="Blend" enabled="false"/>
                <Command type="Render" set="Dof" shader="Shader_DepthOfField" camera="Camera_GUI"/>
            </Pass></PassConfiguration></GraphicsSystem>)")
                                                    .get()));
    }

    static DepthOfFieldGraphics* Create(const std::string& attributes)
    {
        return dynamic_cast<DepthOfFieldGraphics*>(
            AddObject(R"(<Object name="dof0"><Transform/><Graphics type="GraphicsComponent_DepthOfField"
                renderable="Mesh_ScreenQuad" texture="Texture_PostInput" renderSets="Dof" )" +
                      attributes + "/></Object>"));
    }

    // How much the picture's grey varies over the columns [from, to): the mean squared step between
    // neighbours.
    static double Variation(const Morvane::Texture::RgbImage& picture, int from, int to)
    {
        double sum = 0.0;
        int count = 0;
        for (int y = 10; y < kHeight - 10; ++y)
        {
            for (int x = from; x + 1 < to; ++x)
            {
                const auto at = static_cast<std::size_t>((y * kWidth + x) * 3);
                const double step = static_cast<double>(picture.rgb[at + 3]) - picture.rgb[at];
                sum += step * step;
                ++count;
            }
        }
        return sum / count;
    }
};

// What is at the focus depth stays sharp to the byte; what is far is blurred, as the golden shows.
TEST_F(DepthOfFieldGraphicsTest, TheFocusStaysSharpAndTheFarHalfIsBlurred)
{
    DepthOfFieldGraphics* dof = Create(R"(depthTexture="Texture_PostDepth" bias="0.5")");
    ASSERT_NE(dof, nullptr);
    EXPECT_EQ(dof->GetFocus(), 0.96f);
    EXPECT_EQ(dof->GetBlurClamp(), 0.008f);
    const Morvane::Texture::RgbImage picture = Testing::CaptureFrame(kWidth, kHeight);
    int changed = 0;
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth / 2 - 4; ++x)
        {
            const int expected = (x / 4 + (kHeight - 1 - y) / 4) % 2 == 0 ? 230 : 26;
            changed +=
                std::abs(picture.rgb[static_cast<std::size_t>((y * kWidth + x) * 3)] - expected) > 2 ? 1 : 0;
        }
    }
    EXPECT_EQ(changed, 0);
    EXPECT_LT(Variation(picture, kWidth / 2 + 4, kWidth), 0.5 * Variation(picture, 0, kWidth / 2 - 4));
    EXPECT_TRUE(Testing::MatchesGolden(picture, "PostProcessing/DepthOfField.png"));
}

TEST_F(DepthOfFieldGraphicsTest, TheAspectRatioIsTheDepthTexturesInFloatingPointAndADepthTextureIsRequired)
{
    DepthOfFieldGraphics* dof = Create(R"(depthTexture="Texture_PostDepth")");
    ASSERT_NE(dof, nullptr);
    EXPECT_EQ(dof->GetBias(), 0.15f);
    auto* shader = Resources::System::GetInstance().GetResource<Shader>("Shader_DepthOfField");
    ASSERT_NE(shader, nullptr);
    glUseProgram(shader->GetProgram());
    dof->SetUniforms(shader, System::GetInstance().GetCamera("Camera_GUI"));
    float aspect = 0.0f;
    glGetUniformfv(shader->GetProgram(), glGetUniformLocation(shader->GetProgram(), "aspectRatio"), &aspect);
    EXPECT_EQ(aspect, 1.6f);

    Testing::LogCapture capture;
    const DepthOfFieldGraphics* blind = Create(R"(depthTexture="Texture_Missing")");
    EXPECT_EQ(blind, nullptr);
    EXPECT_TRUE(ContainsWrapped(capture.Text(), "Could not get depth texture 'Texture_Missing'"))
        << capture.Text();
    EXPECT_TRUE(ContainsWrapped(capture.Text(), "/DepthOfFieldGraphics")) << capture.Text();
}
} // namespace
} // namespace Morvane::Graphics
