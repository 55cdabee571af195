// The game's post-processing as it ships: the first room's graphics and game configurations, every
// effect pass switched on by name as the render controller will.
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Golden.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/LightScattererGraphics/LightScattererGraphics.h"
#include "Graphics/LightingDirectionalGraphics/LightingDirectionalGraphics.h"
#include "Graphics/RenderQuality/RenderQuality.h"
#include "Parsing/FileParser/FileParser.h"
#include "Resources/ResourceSystem.h"
#include "Support/FrameCapture.h"
#include "Support/GameGraphicsTest.h"
#include "Support/ParseXml.h"
#include "System/Pass/Pass.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/FrameBuffer.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
constexpr int kWidth = 160;
constexpr int kHeight = 100;
// 160 x 100 targets, as small as the window.
constexpr float kSmallQuality = 0.125f;

const char* const kEffectPasses[] = {"ConditionalPass_AmbientOcclusion",       "LightScattering_Init",
                                     "ConditionalPass_LightScattering_Normal", "ConditionalPass_Bloom",
                                     "ConditionalPass_EdgeDetection",          "ConditionalPass_Dof"};

class EffectPassesTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml", "Fonts.xml", "RenderTargets.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Initialize());
        const std::string data = Testing::DataFolder();
        PathWrapper::GetInstance().AddPath("ConfigurationFolder", data + "Configuration/");
        System& graphics = System::GetInstance();
        ASSERT_TRUE(graphics.Parse(
            Testing::ParseXml(R"(<GraphicsSystem path="$(ConfigurationFolder)Graphics.xml"/>)").get()));
        graphics.OnResize(kWidth, kHeight);
        ASSERT_TRUE(ApplyRenderQuality(kSmallQuality));
        // The placeholder particles take their places and colours from the C generator.
        std::srand(1);
        FileParser game;
        ASSERT_TRUE(Game::System::GetInstance().Parse(game.Parse(data + "Configuration/Game.xml")));
        for (int frame = 0; frame < 400 && !AllReady(); ++frame)
        {
            resources.Update(0.016f);
            SDL_Delay(5);
        }
        ASSERT_TRUE(AllReady());
        Game::System::GetInstance().Update(0.016f);
        m_result = Light();
        ASSERT_NE(m_result, nullptr);
        // What the room's lighting behavior would give it.
        m_result->SetAmbientColor({0.3f, 0.32f, 0.38f});
    }

    static bool AllReady()
    {
        return std::ranges::all_of(System::GetInstance().GetComponents(),
                                   [](const Component* component) { return component->IsReady(); });
    }

    static LightingDirectionalGraphics* Light()
    {
        const Game::Object* result = Game::System::GetInstance().GetObject("result");
        return result != nullptr ? result->GetComponent<LightingDirectionalGraphics>() : nullptr;
    }

    static Pass* PassNamed(const std::string& name)
    {
        Pass* pass = System::GetInstance().GetPass(name);
        EXPECT_NE(pass, nullptr) << name;
        return pass;
    }

    static void Enable(const std::vector<std::string>& names, bool on = true)
    {
        for (const std::string& name : names)
        {
            if (Pass* pass = PassNamed(name))
            {
                pass->enabled = on;
            }
        }
    }

    static Texture* Target(const std::string& name)
    {
        return Resources::System::GetInstance().GetResource<Texture>(name);
    }

    // The red channel of `texture`, bottom row first.
    static std::vector<float> ReadRed(const Texture& texture)
    {
        std::vector<float> red(static_cast<std::size_t>(texture.GetWidth() * texture.GetHeight()));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTextureImage(texture.GetHandle(), 0, GL_RED, GL_FLOAT,
                          static_cast<GLsizei>(red.size() * sizeof(float)), red.data());
        return red;
    }

    static Morvane::Texture::RgbImage Picture(const Texture& texture)
    {
        const int width = static_cast<int>(texture.GetWidth());
        const int height = static_cast<int>(texture.GetHeight());
        std::vector<std::uint8_t> rows(static_cast<std::size_t>(width * height * 3));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTextureImage(texture.GetHandle(), 0, GL_RGB, GL_UNSIGNED_BYTE, static_cast<GLsizei>(rows.size()),
                          rows.data());
        Morvane::Texture::RgbImage picture{width, height, std::vector<std::uint8_t>(rows.size())};
        const auto row = static_cast<std::size_t>(width * 3);
        for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        {
            std::copy_n(&rows[(static_cast<std::size_t>(height) - 1 - y) * row], row, &picture.rgb[y * row]);
        }
        return picture;
    }

    LightingDirectionalGraphics* m_result = nullptr;
};

// How far each pixel of `after` is from `before`, per channel: the most it is brighter and darker, and
// how many pixels are darker or brighter by more than `margin`.
struct Change
{
    int brightest = 0;
    int darkest = 0;
    int brighter = 0;
    int darker = 0;
};

Change Compare(const Morvane::Texture::RgbImage& before, const Morvane::Texture::RgbImage& after, int margin)
{
    Change change;
    for (std::size_t pixel = 0; pixel + 2 < before.rgb.size(); pixel += 3)
    {
        int up = 0;
        int down = 0;
        for (std::size_t channel = 0; channel < 3; ++channel)
        {
            const int step = after.rgb[pixel + channel] - before.rgb[pixel + channel];
            up = std::max(up, step);
            down = std::max(down, -step);
        }
        change.brightest = std::max(change.brightest, up);
        change.darkest = std::max(change.darkest, down);
        change.brighter += up > margin ? 1 : 0;
        change.darker += down > margin ? 1 : 0;
    }
    return change;
}

// The occlusion is 1 on the open floor in front of the camera and lower where the floor meets the walls
// and the crates; the lit picture only darkens, where the ambient light is occluded.
TEST_F(EffectPassesTest, AmbientOcclusionDarkensTheCornersOfTheLitScene)
{
    const Morvane::Texture::RgbImage plain = Testing::CaptureFrame(kWidth, kHeight);
    m_result->SetAmbientTerm(Target("SSAO_OcclusionTextureBlur"));
    Enable({"ConditionalPass_AmbientOcclusion"});
    const Morvane::Texture::RgbImage occluded = Testing::CaptureFrame(kWidth, kHeight);
    EXPECT_TRUE(Testing::MatchesGolden(occluded, "PostProcessing/RoomAmbientOcclusion.png"));
    const Change change = Compare(plain, occluded, 3);
    EXPECT_LE(change.brightest, 1);
    EXPECT_GT(change.darker, 20);

    const Texture* blurred = Target("SSAO_OcclusionTextureBlur");
    ASSERT_NE(blurred, nullptr);
    ASSERT_EQ(blurred->GetWidth(), 80u);
    ASSERT_EQ(blurred->GetHeight(), 50u);
    const std::vector<float> occlusion = ReadRed(*blurred);
    const auto at = [&occlusion](int x, int y) { return occlusion[static_cast<std::size_t>(y * 80 + x)]; };
    // The floor just in front of the camera, far from everything.
    float openFloor = 1.0f;
    for (int x = 30; x < 50; ++x)
    {
        openFloor = std::min(openFloor, at(x, 2));
    }
    // Where the back wall stands on the floor, left of the crates, and where the left wall meets it.
    float corner = 1.0f;
    for (int y = 15; y < 30; ++y)
    {
        for (int x = 0; x < 20; ++x)
        {
            corner = std::min(corner, at(x, y));
        }
    }
    EXPECT_GT(openFloor, 0.97f);
    EXPECT_LT(corner, openFloor - 0.15f);
}

// Looking at the sun: the shafts are brightest at the light and fade away from it, over the sky only
// as far as the picture lets them reach.
TEST_F(EffectPassesTest, LightShaftsBrightenTowardTheSun)
{
    Camera* world = System::GetInstance().GetCamera("Camera_World");
    ASSERT_NE(world, nullptr);
    world->SetTarget({30.0f, 70.0f, -140.0f});
    const Morvane::Texture::RgbImage plain = Testing::CaptureFrame(kWidth, kHeight);
    Enable({"LightScattering_Init", "ConditionalPass_LightScattering_Normal"});
    const Morvane::Texture::RgbImage lit = Testing::CaptureFrame(kWidth, kHeight);
    EXPECT_TRUE(Testing::MatchesGolden(lit, "PostProcessing/RoomLightScattering.png"));
    EXPECT_EQ(Compare(plain, lit, 0).darkest, 0);

    const Game::Object* scatterer = Game::System::GetInstance().GetObject("lsc_f");
    ASSERT_NE(scatterer, nullptr);
    auto* shafts = scatterer->GetComponent<LightScattererGraphics>();
    ASSERT_NE(shafts, nullptr);
    const glm::vec3 sun = shafts->LightPositionScreen();
    EXPECT_NEAR(sun.x, 0.5f, 1e-3f);
    EXPECT_NEAR(sun.y, 0.5f, 1e-3f);
    EXPECT_GT(sun.z, 0.0f);
    EXPECT_LT(sun.z, 1.0f);
    const Texture* rays = Target("Texture_LightScattering_Final");
    ASSERT_NE(rays, nullptr);
    const std::vector<float> red = ReadRed(*rays);
    const auto width = static_cast<int>(rays->GetWidth());
    const auto height = static_cast<int>(rays->GetHeight());
    // Up the middle column from the bottom edge to the sun.
    float previous = -1.0f;
    for (const float share : {0.05f, 0.2f, 0.35f, 0.5f})
    {
        const float value =
            red[static_cast<std::size_t>(static_cast<int>(share * height) * width + width / 2)];
        EXPECT_GT(value, previous) << share;
        previous = value;
    }
}

struct EffectCase
{
    const char* pass;
    const char* golden;
    // Only brightens (added light), only darkens (drawn lines), or moves colours both ways (a blur).
    enum class Direction
    {
        Brighter,
        Darker,
        Both
    } direction;
};

// Each pass switched on alone over the plain frame, as its golden shows it.
TEST_F(EffectPassesTest, BloomEdgesAndDepthOfFieldRenderAsTheirGoldens)
{
    const Morvane::Texture::RgbImage plain = Testing::CaptureFrame(kWidth, kHeight);
    using Direction = EffectCase::Direction;
    for (const EffectCase& effect :
         {EffectCase{"ConditionalPass_Bloom", "RoomBloom.png", Direction::Brighter},
          EffectCase{"ConditionalPass_EdgeDetection", "RoomEdges.png", Direction::Darker},
          EffectCase{"ConditionalPass_Dof", "RoomDepthOfField.png", Direction::Both}})
    {
        SCOPED_TRACE(effect.pass);
        Enable({effect.pass});
        const Morvane::Texture::RgbImage picture = Testing::CaptureFrame(kWidth, kHeight);
        Enable({effect.pass}, false);
        EXPECT_TRUE(Testing::MatchesGolden(picture, std::string("PostProcessing/") + effect.golden));
        const Change change = Compare(plain, picture, 4);
        EXPECT_GT(change.brighter + change.darker, 30);
        if (effect.direction == Direction::Brighter)
        {
            EXPECT_LE(change.darkest, 1);
        }
        if (effect.direction == Direction::Darker)
        {
            EXPECT_LE(change.brightest, 1);
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Every factor the options offer, every effect on at once: the frame draws without a GL error into
// complete frame buffers, and the blurs' texel sizes follow their textures.
TEST_F(EffectPassesTest, EveryEffectRendersAtEveryRenderQuality)
{
    m_result->SetAmbientTerm(Target("SSAO_OcclusionTextureBlur"));
    Enable(std::vector<std::string>(std::begin(kEffectPasses), std::end(kEffectPasses)));
    for (const float factor : {0.25f, 0.5f, 1.0f, 1.5f})
    {
        SCOPED_TRACE(factor);
        ASSERT_TRUE(ApplyRenderQuality(factor));
        System::GetInstance().Update(0.016f);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        for (const char* name :
             {"FrameBuffer_SSAO", "FrameBuffer_SSAO_BlurHorizontal", "FrameBuffer_SSAO_Blur",
              "FrameBuffer_LightScattering_Fetch", "FrameBuffer_LightScattering_Final", "FrameBuffer_Bloom0",
              "FrameBuffer_Bloom1", "FrameBuffer_DOF"})
        {
            const auto* frameBuffer = Resources::System::GetInstance().GetResource<FrameBuffer>(name);
            ASSERT_NE(frameBuffer, nullptr) << name;
            EXPECT_EQ(glCheckNamedFramebufferStatus(frameBuffer->GetHandle(), GL_FRAMEBUFFER),
                      static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE))
                << name;
        }
        for (const char* blur : {"ssao1", "ssao2", "bloom0", "bloom1", "bloom2", "bloom3"})
        {
            const Game::Object* object = Game::System::GetInstance().GetObject(blur);
            ASSERT_NE(object, nullptr) << blur;
            const auto* graphics = object->GetComponent<Component>();
            ASSERT_NE(graphics, nullptr) << blur;
            EXPECT_EQ(graphics->GetTransform()->GetScale().x,
                      static_cast<float>(graphics->GetTexture()->GetWidth()))
                << blur;
            EXPECT_EQ(graphics->GetTransform()->GetScale().y,
                      static_cast<float>(graphics->GetTexture()->GetHeight()))
                << blur;
        }
    }
}
} // namespace
} // namespace Morvane::Graphics
