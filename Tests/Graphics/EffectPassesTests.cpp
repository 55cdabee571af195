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
#include <gtest/gtest.h>
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

const char* const kEffectPasses[] = {"ConditionalPass_AmbientOcclusion", "LightScattering_Init",
                                     "ConditionalPass_LightScattering_Normal", "ConditionalPass_Bloom",
                                     "ConditionalPass_EdgeDetection", "ConditionalPass_Dof"};

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

    static void Enable(std::initializer_list<const char*> names, bool on = true)
    {
        for (const char* name : names)
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

TEST_F(EffectPassesTest, Explore)
{
    const Morvane::Texture::RgbImage plain = Testing::CaptureFrame(kWidth, kHeight);
    Testing::MatchesGolden(plain, "Explore/Plain.png");
    m_result->SetAmbientTerm(Target("SSAO_OcclusionTextureBlur"));
    Enable({"ConditionalPass_AmbientOcclusion"});
    Testing::MatchesGolden(Testing::CaptureFrame(kWidth, kHeight), "Explore/Ao.png");
    Testing::MatchesGolden(Picture(*Target("SSAO_OcclusionTexture")), "Explore/AoRaw.png");
    Testing::MatchesGolden(Picture(*Target("SSAO_OcclusionTextureBlur")), "Explore/AoBlur.png");
    Enable({"ConditionalPass_AmbientOcclusion"}, false);
    m_result->SetAmbientTerm(Target("Texture_Null"));
    for (const char* name : {"ConditionalPass_Bloom", "ConditionalPass_EdgeDetection", "ConditionalPass_Dof"})
    {
        Enable({name});
        Testing::MatchesGolden(Testing::CaptureFrame(kWidth, kHeight), std::string("Explore/") + name + ".png");
        Enable({name}, false);
    }
    Camera* world = System::GetInstance().GetCamera("Camera_World");
    world->SetTarget({30.0f, 70.0f, -140.0f});
    Enable({"LightScattering_Init", "ConditionalPass_LightScattering_Normal"});
    Testing::MatchesGolden(Testing::CaptureFrame(kWidth, kHeight), "Explore/Ls.png");
    Testing::MatchesGolden(Picture(*Target("Texture_LightScattering_Fetch")), "Explore/LsFetch.png");
    Testing::MatchesGolden(Picture(*Target("Texture_LightScattering_Final")), "Explore/LsFinal.png");
}
} // namespace
} // namespace Morvane::Graphics
