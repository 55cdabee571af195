#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Golden.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GaussGraphics/GaussGraphics.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/SimpleBlurGraphics/SimpleBlurGraphics.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/FrameCapture.h"
#include "Support/GameGraphicsTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <functional>
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

// "Texture_PostInput" through the blurs as the game chains them: the set "First" from the input into
// "Texture_Blur", the set "Second" from there onto the 160 x 100 window.
class BlurGraphicsTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Parse(ParseXml(R"(<ResourceSystem>
            <Texture name="Texture_Blur" width="160" height="100" colorDataType="GL_UNSIGNED_BYTE"/>
            <FrameBuffer name="FrameBuffer_Blur"><Output texture="Texture_Blur" attachment="GL_COLOR_ATTACHMENT0"/>
            </FrameBuffer></ResourceSystem>)")
                                        .get()));
        ASSERT_TRUE(resources.Initialize());
    }

    // The input picture, `value(x, y)` grey at texel (x, y) from the bottom left.
    static void MakeInput(const std::function<float(int, int)>& value)
    {
        std::vector<float> texels;
        for (int y = 0; y < kHeight; ++y)
        {
            for (int x = 0; x < kWidth; ++x)
            {
                const float grey = value(x, y);
                texels.insert(texels.end(), {grey, grey, grey, 1.0f});
            }
        }
        auto picture = std::make_unique<Texture>("Texture_PostInput");
        picture->SetColorData(std::move(texels), kWidth, kHeight);
        ASSERT_TRUE(picture->Initialize());
        ASSERT_TRUE(Resources::System::GetInstance().AddResource(std::move(picture)));
    }

    // Two passes drawing `shader`, each with its own subroutine ("" for none).
    static void Configure(const std::string& shader, const std::string& first, const std::string& second)
    {
        const auto subroutine = [](const std::string& name)
        { return name.empty() ? std::string() : R"( fragmentSubroutine=")" + name + "\""; };
        ASSERT_TRUE(System::GetInstance().Parse(
            ParseXml(R"(<GraphicsSystem>
            <Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0" width="160" height="100"
                    nearPlane="0.1" farPlane="10"/>
            <Set name="First"/><Set name="Second"/><Set name="Idle"/>
            <PassConfiguration>
            <Pass name="First"><Command type="SetFrameBuffer" frameBuffer="FrameBuffer_Blur"/>
                <Command type="Viewport" texture="Texture_Blur"/><Command type="Blend" enabled="false"/>
                <Command type="Depth" enabled="false" write="false"/>
                <Command type="Render" set="First" shader=")" +
                     shader + "\" camera=\"Camera_GUI\"" + subroutine(first) + R"(/></Pass>
            <Pass name="Second"><Command type="SetFrameBuffer"/><Command type="Viewport" width="160" height="100"/>
                <Command type="Render" set="Second" shader=")" +
                     shader + "\" camera=\"Camera_GUI\"" + subroutine(second) + R"(/></Pass>
            </PassConfiguration></GraphicsSystem>)")
                .get()));
    }

    // An object of `type` drawing `texture` in `set`, scaled to the picture, ready and initialised.
    static Component* Add(const std::string& name, const std::string& type, const std::string& texture,
                          const std::string& set, const std::string& extra = "",
                          const std::string& scale = "160;100;1")
    {
        return AddObject(R"(<Object name=")" + name + R"("><Transform scale=")" + scale +
                         R"("/><Graphics type=")" + type + R"(" renderable="Mesh_ScreenQuad" texture=")" +
                         texture + R"(" renderSets=")" + set + "\" " + extra + "/></Object>");
    }

    // The largest distance of any byte of `picture` from `value`.
    static int LargestDistance(const Morvane::Texture::RgbImage& picture, int value)
    {
        int largest = 0;
        for (const std::uint8_t byte : picture.rgb)
        {
            largest = std::max(largest, std::abs(static_cast<int>(byte) - value));
        }
        return largest;
    }
};

// Eight decreasing weights that add up to 1 as the shader applies them (the centre once, the others on
// both sides), at pixel offsets 0, 2, ..., 16.
TEST_F(BlurGraphicsTest, GaussianWeightsAddUpToOneAsAppliedAtEvenPixelOffsets)
{
    MakeInput([](int, int) { return 0.5f; });
    Configure("Shader_Gauss", "Horizontal", "Vertical");
    auto* gauss =
        dynamic_cast<GaussGraphics*>(Add("Blur", "GraphicsComponent_Gauss", "Texture_PostInput", "First"));
    ASSERT_NE(gauss, nullptr);
    const auto& weights = gauss->GetWeights();
    float applied = weights[0];
    for (std::size_t tap = 1; tap < weights.size(); ++tap)
    {
        EXPECT_LT(weights[tap], weights[tap - 1]) << tap;
        applied += 2.0f * weights[tap];
    }
    EXPECT_NEAR(applied, 1.0f, 1e-6f);
    for (std::size_t offset = 0; offset < gauss->GetPixelOffsets().size(); ++offset)
    {
        EXPECT_EQ(gauss->GetPixelOffsets()[offset], 2.0f * static_cast<float>(offset));
    }
}

// A flat picture through both directions keeps its brightness; a bright bar in the middle spreads
// along the blur's direction only, as the golden shows.
TEST_F(BlurGraphicsTest, BothGaussianDirectionsKeepAFlatPictureAndSpreadABar)
{
    MakeInput([](int x, int y) { return (x >= 70 && x < 90) || (y >= 45 && y < 55) ? 1.0f : 0.25f; });
    Configure("Shader_Gauss", "Horizontal", "Vertical");
    ASSERT_NE(Add("Across", "GraphicsComponent_Gauss", "Texture_PostInput", "First"), nullptr);
    ASSERT_NE(Add("Down", "GraphicsComponent_Gauss", "Texture_Blur", "Second"), nullptr);
    const Morvane::Texture::RgbImage blurred = Testing::CaptureFrame(kWidth, kHeight);
    EXPECT_TRUE(Testing::MatchesGolden(blurred, "PostProcessing/Gauss.png"));
    // Far from both bars the picture is still flat 0.25.
    const auto at = [&blurred](int x, int y)
    { return static_cast<int>(blurred.rgb[static_cast<std::size_t>((y * kWidth + x) * 3)]); };
    EXPECT_NEAR(at(5, 5), 64, 1);
    EXPECT_NEAR(at(154, 94), 64, 1);
    // Near a bar, brighter than flat, darker than the bar.
    EXPECT_GT(at(66, 20), 66);
    EXPECT_LT(at(80, 20), 250);

    Game::System::GetInstance().Release();
    Resources::System::GetInstance().UnloadIfLoaded("Texture_PostInput");
    MakeInput([](int, int) { return 0.5f; });
    ASSERT_NE(Add("Across", "GraphicsComponent_Gauss", "Texture_PostInput", "First"), nullptr);
    ASSERT_NE(Add("Down", "GraphicsComponent_Gauss", "Texture_Blur", "Second"), nullptr);
    EXPECT_LE(LargestDistance(Testing::CaptureFrame(kWidth, kHeight), 128), 1);
}

// The texel size is the object's scale (a full-screen quad at 1280 x 720 pixels); a zero scale uploads
// 0 and warns once. A flat picture stays flat through the box blur.
TEST_F(BlurGraphicsTest, SimpleBlurTakesItsTexelSizeFromTheScaleAndKeepsAFlatPicture)
{
    MakeInput([](int, int) { return 0.75f; });
    Configure("Shader_SimpleBlur", "", "");
    auto* wide =
        dynamic_cast<SimpleBlurGraphics*>(Add("Wide", "GraphicsComponent_SimpleBlur", "Texture_PostInput",
                                              "Idle", R"(blurSize="4")", "1280;720;1"));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->GetBlurSize(), 4);
    auto* shader = Resources::System::GetInstance().GetResource<Shader>("Shader_SimpleBlur");
    ASSERT_NE(shader, nullptr);
    const GLuint program = shader->GetProgram();
    const auto upload = [&](Component& component)
    {
        glUseProgram(program);
        component.SetUniforms(shader, System::GetInstance().GetCamera("Camera_GUI"));
        std::vector<float> size(2);
        glGetUniformfv(program, glGetUniformLocation(program, "oneOverSize"), size.data());
        return size;
    };
    EXPECT_EQ(upload(*wide), (std::vector<float>{1.0f / 1280.0f, 1.0f / 720.0f}));
    GLint blurSize = 0;
    glGetUniformiv(program, glGetUniformLocation(program, "blurSize"), &blurSize);
    EXPECT_EQ(blurSize, 4);

    auto* flat = Add("Flat", "GraphicsComponent_SimpleBlur", "Texture_PostInput", "Idle", "", "0;100;1");
    ASSERT_NE(flat, nullptr);
    Testing::LogCapture capture;
    EXPECT_EQ(upload(*flat), (std::vector<float>{0.0f, 0.01f}));
    upload(*flat);
    const std::string log = capture.Text();
    EXPECT_TRUE(ContainsWrapped(log, "Flat/SimpleBlur")) << log;
    EXPECT_EQ(log.find("Zero scale"), log.rfind("Zero scale")) << log;

    ASSERT_NE(Add("Box", "GraphicsComponent_SimpleBlur", "Texture_PostInput", "First", R"(blurSize="4")"),
              nullptr);
    ASSERT_NE(Add("Shown", "GraphicsComponent_SimpleBlur", "Texture_Blur", "Second", R"(blurSize="3")"),
              nullptr);
    EXPECT_LE(LargestDistance(Testing::CaptureFrame(kWidth, kHeight), 191), 1);
}
} // namespace
} // namespace Morvane::Graphics
