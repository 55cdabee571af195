#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Golden.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/FxaaGraphics/FxaaGraphics.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/FrameCapture.h"
#include "Support/GameGraphicsTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "System/Pass/Pass.h"
#include "Texture/ImageComparison.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <algorithm>
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

// A picture with a hard edge: white above the line y = 0.6 x + 10, black below, as "Texture_PostInput",
// put on a 160 x 100 window by "Viewport_pass" as the game does.
class FxaaGraphicsTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Initialize());
        std::vector<float> texels;
        for (int y = 0; y < kHeight; ++y)
        {
            for (int x = 0; x < kWidth; ++x)
            {
                const float value =
                    static_cast<float>(y) > 0.6f * static_cast<float>(x) + 10.0f ? 1.0f : 0.0f;
                texels.insert(texels.end(), {value, value, value, 1.0f});
            }
        }
        m_input = texels;
        auto picture = std::make_unique<Texture>("Texture_PostInput");
        picture->SetColorData(std::move(texels), kWidth, kHeight);
        ASSERT_TRUE(picture->Initialize());
        ASSERT_TRUE(resources.AddResource(std::move(picture)));
        ASSERT_TRUE(System::GetInstance().Parse(ParseXml(R"(<GraphicsSystem>
            <Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0" width="160" height="100"
                    nearPlane="0.1" farPlane="10"/>
            <Set name="Viewport"/>
            <PassConfiguration><Pass name="Viewport_pass">
                <Command type="SetFrameBuffer"/>
                <Command type="Viewport" width="160" height="100"/>
                <Command type="Depth" enabled="false" write="false"/>
                <Command type="Blend" enabled="false"/>
                <Command type="Render" set="Viewport" shader="Shader_DiffuseTexture" camera="Camera_GUI"/>
            </Pass></PassConfiguration></GraphicsSystem>)")
                                                    .get()));
    }

    static FxaaGraphics* Create(const std::string& resolution)
    {
        return dynamic_cast<FxaaGraphics*>(
            AddObject(R"(<Object name="Viewport"><Transform/><Graphics type="GraphicsComponent_Fxaa"
                renderable="Mesh_ScreenQuad" texture="Texture_PostInput" resolutionTexture=")" +
                      resolution + R"(" renderSets="Viewport"/></Object>)"));
    }

    static Morvane::Texture::RgbImage Frame() { return Testing::CaptureFrame(kWidth, kHeight); }

    // The input's byte at picture position (x, y), y from the top.
    std::uint8_t Input(int x, int y) const
    {
        const auto at = static_cast<std::size_t>(((kHeight - 1 - y) * kWidth + x) * 4);
        return static_cast<std::uint8_t>(m_input[at] * 255.0f);
    }

    std::vector<float> m_input;
};

// With the plain shader the picture is the input; switched to FXAA, the flat regions stay as they are
// and the staircase along the edge gains intermediate greys. Switched back, the input again.
TEST_F(FxaaGraphicsTest, FxaaSoftensTheEdgeAndLeavesFlatRegionsAsTheyAre)
{
    ASSERT_NE(Create("Texture_PostInput"), nullptr);
    Pass* viewport = System::GetInstance().GetPass("Viewport_pass");
    ASSERT_NE(viewport, nullptr);
    const auto intermediate = [](const Morvane::Texture::RgbImage& picture)
    {
        return std::count_if(picture.rgb.begin(), picture.rgb.end(),
                             [](std::uint8_t value) { return value > 8 && value < 247; });
    };

    const Morvane::Texture::RgbImage plain = Frame();
    int different = 0;
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            different += plain.rgb[static_cast<std::size_t>((y * kWidth + x) * 3)] != Input(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(different, 0);
    EXPECT_EQ(intermediate(plain), 0);

    ASSERT_TRUE(viewport->SetRenderShader("Shader_Fxaa"));
    const Morvane::Texture::RgbImage smoothed = Frame();
    EXPECT_GT(intermediate(smoothed), 3 * 100);
    for (const auto& [x, y] : {std::pair{5, 5}, std::pair{150, 95}, std::pair{150, 5}, std::pair{5, 95}})
    {
        EXPECT_EQ(smoothed.rgb[static_cast<std::size_t>((y * kWidth + x) * 3)],
                  plain.rgb[static_cast<std::size_t>((y * kWidth + x) * 3)])
            << x << ", " << y;
    }
    EXPECT_TRUE(Testing::MatchesGolden(smoothed, "PostProcessing/Fxaa.png"));

    ASSERT_TRUE(viewport->SetRenderShader("Shader_DiffuseTexture"));
    EXPECT_EQ(Frame().rgb, plain.rgb);
}

// The texel size in floating point, from the resolution texture at each draw.
TEST_F(FxaaGraphicsTest, OneOverSizeIsTheResolutionTexturesTexelSize)
{
    FxaaGraphics* fxaa = Create("Texture_PostInput");
    ASSERT_NE(fxaa, nullptr);
    auto* shader = Resources::System::GetInstance().GetResource<Shader>("Shader_Fxaa");
    ASSERT_NE(shader, nullptr);
    glUseProgram(shader->GetProgram());
    fxaa->SetUniforms(shader, System::GetInstance().GetCamera("Camera_GUI"));
    std::vector<float> oneOverSize(2);
    glGetUniformfv(shader->GetProgram(), glGetUniformLocation(shader->GetProgram(), "oneOverSize"),
                   oneOverSize.data());
    EXPECT_EQ(oneOverSize, (std::vector<float>{1.0f / 160.0f, 1.0f / 100.0f}));
}

// A missing resolution texture is named at parse; the component does not initialise and goes with its
// object. An unknown shader is refused by the pass, which keeps drawing as before.
TEST_F(FxaaGraphicsTest, AMissingResolutionTextureOrShaderIsRefused)
{
    Testing::LogCapture capture;
    Create("Texture_Missing");
    Game::System::GetInstance().Update(0.016f);
    EXPECT_TRUE(ContainsWrapped(capture.Text(), "Viewport/FxaaGraphics")) << capture.Text();
    EXPECT_TRUE(ContainsWrapped(capture.Text(), "Could not get resolution texture 'Texture_Missing'"))
        << capture.Text();
    const Game::Object* object = Game::System::GetInstance().GetObject("Viewport");
    EXPECT_TRUE(object == nullptr || object->GetComponent<Component>() == nullptr);

    Pass* viewport = System::GetInstance().GetPass("Viewport_pass");
    ASSERT_NE(viewport, nullptr);
    Testing::LogCapture refusal;
    EXPECT_FALSE(viewport->SetRenderShader("Shader_Missing"));
    EXPECT_TRUE(refusal.ContainsWrapped("Could not set the render shader 'Shader_Missing'"))
        << refusal.Text();
}
} // namespace
} // namespace Morvane::Graphics
