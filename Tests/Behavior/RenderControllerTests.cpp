// The render controller over the shipped passes and render objects (the first room's configuration),
// read back from the GL state it leaves: passes, textures, render target sizes, frame buffers, the
// window's shader and the swap interval.
#include "Behavior/GameLogic/RenderSettings.h"
#include "Behavior/RenderController/RenderController.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/LightingDirectionalGraphics/LightingDirectionalGraphics.h"
#include "Graphics/LightingPointGraphics/LightingPointGraphics.h"
#include "Parsing/FileParser/FileParser.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "System/Pass/ClearBufferColor.h"
#include "System/Pass/Pass.h"
#include "System/Pass/Render.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/FrameBuffer.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace Morvane
{
namespace
{
const char* const kEffectObjects[] = {"ssao0", "ssao1", "ssao2", "bloom0", "bloom1", "bloom2", "bloom3"};

class RenderControllerTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml", "Fonts.xml", "RenderTargets.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Initialize());
        const std::string data = Testing::DataFolder();
        PathWrapper::GetInstance().AddPath("ConfigurationFolder", data + "Configuration/");
        Graphics::System& graphics = Graphics::System::GetInstance();
        ASSERT_TRUE(graphics.Parse(
            Testing::ParseXml(R"(<GraphicsSystem path="$(ConfigurationFolder)Graphics.xml"/>)").get()));
        graphics.OnResize(160, 100);
        FileParser game;
        ASSERT_TRUE(Game::System::GetInstance().Parse(game.Parse(data + "Configuration/Game.xml")));
        const auto ready = []
        {
            return std::ranges::all_of(Graphics::System::GetInstance().GetComponents(),
                                       [](const Graphics::Component* component)
                                       { return component->IsReady(); });
        };
        for (int frame = 0; frame < 400 && !ready(); ++frame)
        {
            resources.Update(0.016f);
            SDL_Delay(5);
        }
        ASSERT_TRUE(ready());
        Game::System::GetInstance().Update(0.016f);
        m_effects = Game::System::GetInstance().GetObject(RenderController::kObjectName);
        ASSERT_NE(m_effects, nullptr);
    }

    static Graphics::Pass* PassNamed(const std::string& name)
    {
        return Graphics::System::GetInstance().GetPass(name);
    }

    static bool Enabled(const std::string& name)
    {
        const Graphics::Pass* pass = PassNamed(name);
        EXPECT_NE(pass, nullptr) << name;
        return pass != nullptr && pass->enabled;
    }

    static Graphics::Texture* Target(const std::string& name)
    {
        return Resources::System::GetInstance().GetResource<Graphics::Texture>(name);
    }

    static Graphics::Component* GraphicsOf(const std::string& name)
    {
        const Game::Object* object = Game::System::GetInstance().GetObject(name);
        return object != nullptr ? object->GetComponent<Graphics::Component>() : nullptr;
    }

    static bool Visible(const std::string& name)
    {
        const Graphics::Component* graphics = GraphicsOf(name);
        EXPECT_NE(graphics, nullptr) << name;
        return graphics != nullptr && graphics->IsVisible();
    }

    static LightingDirectionalGraphics* Result()
    {
        const Game::Object* result = Game::System::GetInstance().GetObject("result");
        return result != nullptr ? result->GetComponent<LightingDirectionalGraphics>() : nullptr;
    }

    static std::string ViewportShader()
    {
        for (const auto& command : PassNamed("Viewport_pass")->GetCommands())
        {
            if (const auto* render = dynamic_cast<const Graphics::Commands::Render*>(command.get()))
            {
                return render->GetShader() != nullptr ? render->GetShader()->GetName() : "";
            }
        }
        return "";
    }

    static void ExpectSize(const char* texture, unsigned width, unsigned height)
    {
        const Graphics::Texture* target = Target(texture);
        ASSERT_NE(target, nullptr) << texture;
        EXPECT_EQ(target->GetWidth(), width) << texture;
        EXPECT_EQ(target->GetHeight(), height) << texture;
    }

    static void ExpectFrameBuffersComplete()
    {
        for (const char* name : {"FrameBuffer_World", "FrameBuffer_Lit", "FrameBuffer_LightScattering_Fetch",
                                 "FrameBuffer_LightScattering_Final", "FrameBuffer_SSAO",
                                 "FrameBuffer_Bloom0", "FrameBuffer_DOF"})
        {
            const auto* frameBuffer =
                Resources::System::GetInstance().GetResource<Graphics::FrameBuffer>(name);
            ASSERT_NE(frameBuffer, nullptr) << name;
            EXPECT_EQ(glCheckNamedFramebufferStatus(frameBuffer->GetHandle(), GL_FRAMEBUFFER),
                      static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE))
                << name;
        }
    }

    Game::Object* m_effects = nullptr;
};

// The default settings, as a level starts with them: every effect on, the single view, FXAA.
TEST_F(RenderControllerTest, TheDefaultsSwitchEveryEffectOnForTheSingleView)
{
    RenderSettings settings;
    settings.fogColor = {0.1f, 0.2f, 0.3f};
    settings.fogAmount = 0.04f;
    settings.ambientColor = {0.3f, 0.25f, 0.2f};
    settings.attenuation = {1.0f, 0.2f, 0.02f};
    settings.skyColor = {0.4f, 0.8f, 1.0f};
    settings.verticalSync = false;
    RenderController controller(m_effects);
    ASSERT_TRUE(controller.Initialize());
    controller.Apply(settings);

    for (const char* pass :
         {"ConditionalPass_Dof", "ConditionalPass_AmbientOcclusion", "ConditionalPass_Bloom",
          "ConditionalPass_StandardRender", "ConditionalPass_LightScattering_Normal", "LightScattering_Init",
          "Viewport_pass"})
    {
        EXPECT_TRUE(Enabled(pass)) << pass;
    }
    for (const char* pass : {"ConditionalPass_OculusDeformative", "ConditionalPass_LightScattering_Oculus"})
    {
        EXPECT_FALSE(Enabled(pass)) << pass;
    }
    for (const char* name : kEffectObjects)
    {
        EXPECT_TRUE(Visible(name)) << name;
    }
    EXPECT_TRUE(Visible("lsc_f"));
    EXPECT_FALSE(Visible("lscl"));
    EXPECT_FALSE(Visible("lscr"));

    LightingDirectionalGraphics* result = Result();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->GetAmbientTerm(), Target("SSAO_OcclusionTextureBlur"));
    EXPECT_EQ(result->GetFogColor(), settings.fogColor);
    EXPECT_FLOAT_EQ(result->GetFogAmount(), 0.04f);
    EXPECT_EQ(result->GetAmbientColor(), settings.ambientColor);
    const Game::Object* pointLight = Game::System::GetInstance().GetObject("Pointlight");
    ASSERT_NE(pointLight, nullptr);
    const auto* light = pointLight->GetComponent<LightingPointGraphics>();
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->GetAttenuation(), settings.attenuation);
    for (const auto& command : PassNamed("LightScattering_Init")->GetCommands())
    {
        if (const auto* clear = dynamic_cast<const Graphics::Commands::ClearBufferColor*>(command.get()))
        {
            EXPECT_FLOAT_EQ(clear->GetColor().r, 0.1f);
            EXPECT_FLOAT_EQ(clear->GetColor().b, 0.25f);
        }
    }
    EXPECT_EQ(ViewportShader(), "Shader_Fxaa");
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
    Graphics::System::GetInstance().Update(0.016f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(RenderControllerTest, EffectsOffHideTheirGraphicsAndTheWindowDrawsWithoutFxaa)
{
    RenderSettings settings;
    settings.bloom = false;
    settings.depthOfField = false;
    settings.ambientOcclusion = false;
    settings.fxaa = false;
    RenderController controller(m_effects);
    ASSERT_TRUE(controller.Initialize());
    controller.Apply(settings);
    for (const char* pass :
         {"ConditionalPass_Dof", "ConditionalPass_AmbientOcclusion", "ConditionalPass_Bloom"})
    {
        EXPECT_FALSE(Enabled(pass)) << pass;
    }
    for (const char* name : kEffectObjects)
    {
        EXPECT_FALSE(Visible(name)) << name;
    }
    ASSERT_NE(Result(), nullptr);
    EXPECT_EQ(Result()->GetAmbientTerm(), Target("Texture_Null"));
    EXPECT_EQ(ViewportShader(), "Shader_DiffuseTexture");

    settings.fxaa = true;
    controller.Apply(settings);
    EXPECT_EQ(ViewportShader(), "Shader_Fxaa");
}

// The head-mounted display's passes swap with the single view's; the ones this configuration lacks are
// warned about once, not on every load.
TEST_F(RenderControllerTest, TheHeadMountedDisplayModeSwapsThePassesAndWarnsOnceForMissingOnes)
{
    RenderSettings settings;
    settings.headMountedDisplay = true;
    RenderController controller(m_effects);
    ASSERT_TRUE(controller.Initialize());
    Testing::LogCapture log;
    controller.Apply(settings);
    controller.Apply(settings);
    EXPECT_TRUE(Enabled("ConditionalPass_OculusDeformative"));
    EXPECT_TRUE(Enabled("ConditionalPass_LightScattering_Oculus"));
    EXPECT_FALSE(Enabled("ConditionalPass_StandardRender"));
    EXPECT_FALSE(Enabled("ConditionalPass_LightScattering_Normal"));
    EXPECT_TRUE(Visible("lscl"));
    EXPECT_TRUE(Visible("lscr"));
    EXPECT_FALSE(Visible("lsc_f"));
    EXPECT_EQ(Testing::CountOf(log.Text(), "There is no pass 'ConditionalPass_PostOculus'"), 1u);
    EXPECT_EQ(Testing::CountOf(log.Text(), "There is no pass 'ConditionalPass_OculusRender'"), 1u);
}

// Quality 0.25 and 1.5 as the menu offers them; the same quality again makes nothing anew.
TEST_F(RenderControllerTest, TheQualitySizesTheTargetsAndOnlyAChangeMakesThemAgain)
{
    RenderController controller(m_effects);
    ASSERT_TRUE(controller.Initialize());
    RenderSettings settings;
    settings.renderQuality = 0.25f;
    controller.Apply(settings);
    for (const char* texture :
         {"Texture_WorldDepth", "Texture_Diffuse", "Texture_PositionsInView", "Texture_NormalsInView"})
    {
        ExpectSize(texture, 320, 200);
    }
    ExpectSize("Texture_LightScattering_Fetch", 160, 200);
    ExpectSize("Texture_LightScattering_Final", 160, 200);
    ExpectFrameBuffersComplete();

    settings.renderQuality = 1.5f;
    controller.Apply(settings);
    ExpectSize("Texture_Diffuse", 1920, 1200);
    ExpectSize("Texture_LightScattering_Final", 960, 1200);
    ExpectFrameBuffersComplete();

    const GLuint diffuse = Target("Texture_Diffuse")->GetHandle();
    const GLuint world =
        Resources::System::GetInstance().GetResource<Graphics::FrameBuffer>("FrameBuffer_World")->GetHandle();
    controller.Apply(settings);
    EXPECT_EQ(Target("Texture_Diffuse")->GetHandle(), diffuse);
    EXPECT_EQ(
        Resources::System::GetInstance().GetResource<Graphics::FrameBuffer>("FrameBuffer_World")->GetHandle(),
        world);

    for (const float unusable : {0.0f, -1.0f, NAN, INFINITY})
    {
        Testing::LogCapture log;
        settings.renderQuality = unusable;
        controller.Apply(settings);
        EXPECT_TRUE(log.Contains("is not usable: using 1")) << unusable;
        ExpectSize("Texture_Diffuse", 1280, 800);
    }
    Graphics::System::GetInstance().Update(0.016f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The first level loads while the configuration is parsed, before the controller has its graphics:
// the settings wait for Initialize.
TEST_F(RenderControllerTest, SettingsAppliedBeforeInitializeTakeEffectThere)
{
    RenderController controller(m_effects);
    RenderSettings settings;
    settings.bloom = false;
    settings.renderQuality = 0.5f;
    controller.Apply(settings);
    EXPECT_FALSE(Enabled("ConditionalPass_Bloom"));
    ExpectSize("Texture_Diffuse", 1280, 800);
    RenderSettings::GetInstance().bloom = true;
    ASSERT_TRUE(controller.Initialize());
    EXPECT_FALSE(Enabled("ConditionalPass_Bloom"));
    EXPECT_TRUE(Enabled("ConditionalPass_Dof"));
    ExpectSize("Texture_Diffuse", 640, 400);
}

// Without its objects the controller logs each missing group and skips its steps.
TEST_F(RenderControllerTest, MissingGraphicsAreLoggedAndTheirStepsSkipped)
{
    Game::System& game = Game::System::GetInstance();
    for (const char* name : {"result", "bloom2", "lscr", "ssao0", "dof0", "Pointlight"})
    {
        game.MarkForDeletion(game.GetObject(name));
    }
    game.Update(0.016f);
    ASSERT_EQ(game.GetObject("result"), nullptr);
    RenderController controller(m_effects);
    Testing::LogCapture log;
    ASSERT_TRUE(controller.Initialize());
    controller.Apply(RenderSettings{});
    for (const char* message : {"Could not get DOF graphics", "Could not get result graphics",
                                "Could not get light scattering graphics", "Could not get bloom graphics",
                                "Could not get ssao graphics"})
    {
        EXPECT_TRUE(log.Contains(message)) << message;
    }
    EXPECT_TRUE(Enabled("ConditionalPass_Bloom"));
    EXPECT_EQ(ViewportShader(), "Shader_Fxaa");
}
} // namespace
} // namespace Morvane
