// The screens' costs, each against a bare loop of the same work in the same run. The render controller's
// Apply at each quality factor (the world's and effects' render targets made at that size and their
// frame buffers rebuilt, then made again at a small size) against a bare GL loop making as many textures
// of the same formats and sizes and as many frame buffers on them; Apply with nothing changed against a
// bare loop setting the same pass flags, shader and swap interval; and 100 background resources finished
// with the loading screen running against the same without it. Wall time for GL work.
#include "Behavior/BehaviorSystem.h"
#include "Behavior/GameLogic/RenderSettings.h"
#include "Behavior/LoadingScreen/LoadingScreen.h"
#include "Behavior/RenderController/RenderController.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "GlContext.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GlObject.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"
#include "Graphics/RenderQuality/RenderQuality.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Resources/Resource.h"
#include "Resources/ResourceSystem.h"
#include "System/Pass/Pass.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;

constexpr float kSmallQuality = 0.125f;
constexpr int kBackgroundResources = 100;

constexpr int kFrameBuffers = 10;

// Each target's internal format, format and type, as the engine makes it.
struct TargetFormat
{
    GLenum internalFormat;
    GLenum format;
    GLenum type;
};
std::vector<TargetFormat> g_formats;
std::unique_ptr<RenderController> g_controller;

// A background resource with a little work to parse, as a small texture or sound file gives.
class BackgroundResource final : public Resources::Resource
{
public:
    using Resource::Resource;
    bool Parse(const IParserData*) override
    {
        volatile double sum = 0.0;
        for (int step = 0; step < 20000; ++step)
        {
            sum = sum + std::sqrt(static_cast<double>(step));
        }
        return true;
    }
    bool Initialize() override
    {
        SetInitialized(true);
        return true;
    }
    void Release() override {}
};

bool AllReady()
{
    const auto& components = Graphics::System::GetInstance().GetComponents();
    return std::ranges::all_of(components, [](const Graphics::Component* c) { return c->IsReady(); });
}

std::unique_ptr<IParserData> Parse(const std::string& xml)
{
    auto data = std::make_unique<XMLParserData>();
    return data->FromString(xml) ? std::move(data) : nullptr;
}

bool BuildScene()
{
    PathWrapper& paths = PathWrapper::GetInstance();
    const std::string data = paths.Expand("$(LocalFolder)../");
    paths.AddPath("LocalFolder", data);
    paths.AddPath("ConfigurationFolder", data + "Configuration/");
    Graphics::System& graphics = Graphics::System::GetInstance();
    graphics.m_customComponentFactory = &CreateCustomGraphicsComponent;
    graphics.m_customUniformIdentifier = &IdentifyCustomPurpose;
    Resources::System& resources = Resources::System::GetInstance();
    resources.AddDelegate("Background",
                          [](const std::string& name) { return std::make_unique<BackgroundResource>(name); });
    for (const char* pack : {"Meshes.xml", "Shaders.xml", "Textures.xml", "Fonts.xml", "RenderTargets.xml"})
    {
        FileParser parser;
        if (!resources.Parse(parser.Parse(data + "Resources/" + pack)))
        {
            return false;
        }
    }
    FileParser passes;
    FileParser game;
    const auto sets = Parse(R"(<BehaviorSystem><BehaviorSet name="BehaviorSet_Gameplay"/></BehaviorSystem>)");
    const auto archetypes =
        Parse("<GameSystem><Objects archetypesFolder=\"" + data + "Archetypes\"/></GameSystem>");
    if (!resources.Initialize() || !graphics.Parse(passes.Parse(data + "Configuration/Graphics.xml")) ||
        !Game::System::GetInstance().Parse(game.Parse(data + "Configuration/Game.xml")) || sets == nullptr ||
        !Behavior::System::GetInstance().Parse(sets.get()) || archetypes == nullptr ||
        !Game::System::GetInstance().Parse(archetypes.get()))
    {
        return false;
    }
    for (int frame = 0; frame < 2000 && !AllReady(); ++frame)
    {
        resources.Update(0.016f);
        SDL_Delay(5);
    }
    Game::System::GetInstance().Update(0.016f);
    Game::Object* effects = Game::System::GetInstance().GetObject(RenderController::kObjectName);
    if (effects == nullptr || !AllReady())
    {
        return false;
    }
    g_controller = std::make_unique<RenderController>(effects);
    g_controller->Initialize();
    for (const RenderQualityTarget& target : GetRenderQualityTargets())
    {
        const auto* texture = resources.GetResource<Graphics::Texture>(target.texture);
        if (texture == nullptr)
        {
            return false;
        }
        g_formats.push_back(
            {texture->GetInternalFormat(), texture->GetFormat(), texture->GetColorDataType()});
    }
    return true;
}

RenderSettings AtQuality(float quality)
{
    RenderSettings settings = RenderSettings::GetInstance();
    settings.renderQuality = quality;
    settings.verticalSync = false;
    return settings;
}

void ApplyAtFactor(benchmark::State& state, float quality)
{
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    const RenderSettings large = AtQuality(quality);
    const RenderSettings small = AtQuality(kSmallQuality);
    for (auto _ : state)
    {
        g_controller->Apply(large);
        g_controller->Apply(small);
        glFinish();
    }
}

// The targets made at `quality` as the controller makes them, and a frame buffer on each of the first.
void MakeTargets(float quality, std::vector<Graphics::GlTexture>& textures,
                 std::vector<Graphics::GlFramebuffer>& frameBuffers)
{
    textures.clear();
    frameBuffers.clear();
    const std::span<const RenderQualityTarget> targets = GetRenderQualityTargets();
    for (std::size_t index = 0; index < targets.size(); ++index)
    {
        const RenderQualityTarget& target = targets[index];
        textures.push_back(Graphics::GlTexture::Create());
        const TargetFormat& format = g_formats[index];
        glBindTexture(GL_TEXTURE_2D, textures.back().Get());
        glTexImage2D(
            GL_TEXTURE_2D, 0, static_cast<GLint>(format.internalFormat),
            static_cast<GLsizei>(std::round(quality * kRenderQualityBaseWidth * target.widthShare)),
            static_cast<GLsizei>(std::round(quality * kRenderQualityBaseHeight * target.heightShare)), 0,
            format.format, format.type, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    for (int index = 0; index < kFrameBuffers; ++index)
    {
        frameBuffers.push_back(Graphics::GlFramebuffer::Create());
        const bool depth = index == 0;
        glNamedFramebufferTexture(frameBuffers.back().Get(),
                                  depth ? GL_DEPTH_ATTACHMENT : GL_COLOR_ATTACHMENT0,
                                  textures[static_cast<std::size_t>(index)].Get(), 0);
        benchmark::DoNotOptimize(glCheckNamedFramebufferStatus(frameBuffers.back().Get(), GL_FRAMEBUFFER));
    }
}

void BareTargets(benchmark::State& state, float quality)
{
    std::vector<Graphics::GlTexture> textures;
    std::vector<Graphics::GlFramebuffer> frameBuffers;
    for (auto _ : state)
    {
        MakeTargets(quality, textures, frameBuffers);
        MakeTargets(kSmallQuality, textures, frameBuffers);
        glFinish();
    }
}

void ApplyUnchanged(benchmark::State& state)
{
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    const RenderSettings settings = AtQuality(1.0f);
    g_controller->Apply(settings);
    for (auto _ : state)
    {
        g_controller->Apply(settings);
    }
}

void BareUnchanged(benchmark::State& state)
{
    Graphics::System& graphics = Graphics::System::GetInstance();
    std::vector<Graphics::Pass*> passes;
    for (const char* name : {"ConditionalPass_Dof", "ConditionalPass_AmbientOcclusion",
                             "ConditionalPass_Bloom", "ConditionalPass_StandardRender",
                             "ConditionalPass_LightScattering_Normal", "ConditionalPass_OculusDeformative",
                             "ConditionalPass_LightScattering_Oculus", "LightScattering_Init"})
    {
        passes.push_back(graphics.GetPass(name));
    }
    Graphics::Pass* viewport = graphics.GetPass("Viewport_pass");
    if (std::ranges::find(passes, nullptr) != passes.end() || viewport == nullptr)
    {
        state.SkipWithError("a pass is missing");
        return;
    }
    for (auto _ : state)
    {
        for (Graphics::Pass* pass : passes)
        {
            pass->enabled = !pass->enabled;
            pass->enabled = !pass->enabled;
        }
        viewport->SetRenderShader("Shader_Fxaa");
        SDL_GL_SetSwapInterval(0);
    }
}

// Queues 100 new background resources and steps frames until none is pending, with or without a
// loading screen watching them.
void FinishBackgroundResources(benchmark::State& state, bool withScreen)
{
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    Resources::System& resources = Resources::System::GetInstance();
    Game::System& game = Game::System::GetInstance();
    int round = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        std::vector<std::string> names;
        for (int index = 0; index < kBackgroundResources; ++index)
        {
            names.push_back("Background_" + std::to_string(round) + "_" + std::to_string(index));
            // The system keeps its own copy of a definition.
            const auto definition =
                Parse("<Background name=\"" + names.back() + "\" multiThreaded=\"true\"/>");
            resources.AddDefinition(names.back(), *definition);
        }
        ++round;
        Game::Object* owner = game.CreateObject("LoadingScreen");
        std::optional<LoadingScreen> screen;
        state.ResumeTiming();
        for (const std::string& name : names)
        {
            resources.GetResource<BackgroundResource>(name);
        }
        if (withScreen)
        {
            screen.emplace(owner);
            screen->Initialize();
        }
        while (resources.GetPendingCount() > 0)
        {
            resources.Update(0.016f);
            if (screen)
            {
                screen->Update(0.016f);
            }
            game.Update(0.016f);
        }
        state.PauseTiming();
        if (screen)
        {
            screen->Release();
        }
        game.MarkForDeletion(game.GetObject("LoadingScreen"));
        game.Update(0.016f);
        for (const std::string& name : names)
        {
            resources.UnloadResource(name);
        }
        state.ResumeTiming();
    }
}

const char* const kRunSuffix = "/min_time:0.500/real_time";

benchmark::internal::Benchmark* Timed(benchmark::internal::Benchmark* benchmark)
{
    return benchmark->Unit(benchmark::kMillisecond)->MinTime(0.5)->UseRealTime();
}
} // namespace

int main(int argc, char** argv)
{
    std::optional<Benchmarks::GlContext> context;
    if (!Benchmarks::OpenQuietly(context, BuildScene))
    {
        return 1;
    }
    std::vector<Benchmarks::Ratio> ratios;
    for (const float quality : {0.25f, 0.5f, 1.0f, 1.5f})
    {
        const std::string factor = std::to_string(quality).substr(0, 4);
        const std::string apply = "Apply/" + factor;
        const std::string bare = "BareTargets/" + factor;
        Timed(benchmark::RegisterBenchmark(apply.c_str(), ApplyAtFactor, quality));
        Timed(benchmark::RegisterBenchmark(bare.c_str(), BareTargets, quality));
        ratios.push_back({"Apply at quality " + factor + " vs bare GL targets", bare + kRunSuffix,
                          apply + kRunSuffix, false, true});
    }
    Timed(benchmark::RegisterBenchmark("Apply/Unchanged", ApplyUnchanged));
    Timed(benchmark::RegisterBenchmark("BareUnchanged", BareUnchanged));
    ratios.push_back({"Apply with nothing changed vs bare pass flags, shader and swap interval",
                      std::string("BareUnchanged") + kRunSuffix, std::string("Apply/Unchanged") + kRunSuffix,
                      false, true});
    Timed(benchmark::RegisterBenchmark("Background/WithoutScreen", FinishBackgroundResources, false));
    Timed(benchmark::RegisterBenchmark("Background/WithLoadingScreen", FinishBackgroundResources, true));
    ratios.push_back({"100 background resources with the loading screen vs without",
                      std::string("Background/WithoutScreen") + kRunSuffix,
                      std::string("Background/WithLoadingScreen") + kRunSuffix, false, true});
    const int status = Benchmarks::RunWithRatios(argc, argv, ratios);
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    g_controller.reset();
    Game::System::GetInstance().Release();
    Behavior::System::GetInstance().Release();
    Graphics::System& graphics = Graphics::System::GetInstance();
    graphics.m_customComponentFactory = nullptr;
    graphics.m_customUniformIdentifier = nullptr;
    return status;
}
