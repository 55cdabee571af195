// The deferred frame of the first room's passes against the G-buffer pass alone in the same run, with
// glFinish after each (wall time: llvmpipe rasterises on its own threads), lit by the three directional
// lights and 1, 8 or 64 point lights; then the memory of the four G-buffer targets at each render quality,
// read back from OpenGL.
#include "Component/Object.h"
#include "GlContext.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/RenderQuality/RenderQuality.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "System/Pass/Pass.h"
#include "Texture/Texture.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;

constexpr int kMostLights = 64;
const char* const kTargets[] = {"Texture_Diffuse", "Texture_NormalsInView", "Texture_PositionsInView",
                                "Texture_WorldDepth"};

std::vector<std::unique_ptr<Game::Object>> g_objects;
// The passes as the configuration switches them, kept before any benchmark changes them.
std::map<std::string, bool> g_configured;
std::vector<Graphics::Component*> g_pointLights;

Graphics::Component* Add(const std::string& name, const std::string& xml)
{
    XMLParserData description;
    if (!description.FromString(xml))
    {
        return nullptr;
    }
    auto object = std::make_unique<Game::Object>(name);
    object->Parse(&description);
    auto* graphics = object->GetComponent<Graphics::Component>();
    if (graphics != nullptr)
    {
        object->Initialize();
    }
    g_objects.push_back(std::move(object));
    return graphics;
}

bool BuildScene()
{
    Graphics::System& graphics = Graphics::System::GetInstance();
    graphics.m_customComponentFactory = &CreateCustomGraphicsComponent;
    graphics.m_customUniformIdentifier = &IdentifyCustomPurpose;
    Resources::System& resources = Resources::System::GetInstance();
    XMLParserData definitions;
    FileParser targets;
    FileParser passes;
    const bool parsed =
        definitions.FromString(R"(<ResourceSystem>
            <Shader name="Shader_GBuffer" path="$(LocalFolder)../Shaders/Deferred/GBuffer.xml"/>
            <Shader name="Shader_DirectionalLight" path="$(LocalFolder)../Shaders/Deferred/DirectionalLight.xml"/>
            <Shader name="Shader_PointLight" path="$(LocalFolder)../Shaders/Deferred/PointLight.xml"/>
            <Shader name="Shader_DiffuseTexture" path="$(LocalFolder)../Shaders/Basic/DiffuseTexture.xml"/>
            <Shader name="Shader_Textured" path="$(LocalFolder)../Shaders/Basic/Textured.xml"/>
            <Shader name="Shader_Debug" path="$(LocalFolder)../Shaders/Basic/Debug.xml"/>
            <Mesh name="Mesh_Cube" path="$(LocalFolder)../Meshes/Cube.xml"/>
            <Mesh name="Mesh_Sphere" path="$(LocalFolder)../Meshes/Sphere.xml"/>
            <Mesh name="Mesh_ScreenQuad" path="$(LocalFolder)../Meshes/ScreenQuad.xml"/></ResourceSystem>)") &&
        resources.Parse(&definitions) &&
        resources.Parse(targets.Parse(
            PathWrapper::GetInstance().Expand("$(LocalFolder)../Resources/RenderTargets.xml"))) &&
        resources.Initialize() &&
        graphics.Parse(
            passes.Parse(PathWrapper::GetInstance().Expand("$(LocalFolder)../Configuration/Graphics.xml")));
    if (!parsed)
    {
        return false;
    }
    const std::string textures = R"(ambientTerm="Texture_Null" deferredDiffuse="Texture_Diffuse"
        deferredNormals="Texture_NormalsInView" deferredPositions="Texture_PositionsInView")";
    Add("Floor",
        R"(<Object><Transform position="0;-0.25;0" scale="20;0.5;20"/><Graphics renderable="Mesh_Cube"
        diffuseColor="0.55;0.55;0.5;1" renderSets="World"/></Object>)");
    for (int crate = 0; crate < 8; ++crate)
    {
        Add("Crate" + std::to_string(crate),
            "<Object><Transform position=\"" + std::to_string(crate * 2 - 7) +
                R"(;0.5;-2"/><Graphics renderable="Mesh_Cube" diffuseColor="0.8;0.3;0.2;1" renderSets="World"/></Object>)");
    }
    Add("Sun",
        R"(<Object><Transform/><Graphics type="GraphicsComponent_DirectionalLight" renderable="Mesh_ScreenQuad"
        renderSets="Lights_Directional" )" +
            textures + "/></Object>");
    Add("Viewport", R"(<Object><Transform/><Graphics renderable="Mesh_ScreenQuad" texture="Texture_Lit"
        renderSets="Viewport"/></Object>)");
    for (int light = 0; light < kMostLights; ++light)
    {
        const std::string position =
            std::to_string(light % 8 * 2 - 7) + ";1;" + std::to_string(light / 8 - 4);
        g_pointLights.push_back(Add("Light" + std::to_string(light),
                                    "<Object><Transform position=\"" + position +
                                        R"(" scale="6;6;6"/><Graphics type="GraphicsComponent_PointLight"
                renderable="Mesh_Sphere" renderSets="Lights_Point" )" +
                                        textures + "/></Object>"));
    }
    for (const auto& pass : graphics.GetPasses())
    {
        g_configured[pass->GetName()] = pass->enabled;
    }
    return std::ranges::none_of(g_pointLights,
                                [](const Graphics::Component* light) { return light == nullptr; });
}

// `names` only, or with none named the game's frame (the passes the configuration has on).
void EnableOnly(const std::vector<std::string>& names)
{
    for (const auto& pass : Graphics::System::GetInstance().GetPasses())
    {
        pass->enabled = names.empty() ? g_configured[pass->GetName()]
                                      : std::ranges::find(names, pass->GetName()) != names.end();
    }
}

void GBufferPass(benchmark::State& state)
{
    EnableOnly({"ConditionalPass_StandardRender"});
    for (auto _ : state)
    {
        Graphics::System::GetInstance().Update(0.016f);
        glFinish();
    }
}

void DeferredFrame(benchmark::State& state)
{
    EnableOnly({});
    for (std::size_t light = 0; light < g_pointLights.size(); ++light)
    {
        g_pointLights[light]->SetVisible(static_cast<std::int64_t>(light) < state.range(0));
    }
    for (auto _ : state)
    {
        Graphics::System::GetInstance().Update(0.016f);
        glFinish();
    }
}

// What the four G-buffer targets hold at `quality` × 1280 by `quality` × 800, from the sizes OpenGL
// reports for their levels.
double TargetMebibytes(float quality)
{
    if (!ApplyRenderQuality(quality))
    {
        return 0.0;
    }
    double bytes = 0.0;
    for (const char* name : kTargets)
    {
        const auto* texture = Resources::System::GetInstance().GetResource<Graphics::Texture>(name);
        if (texture == nullptr)
        {
            continue;
        }
        bytes += static_cast<double>(texture->GetStoredBytes());
    }
    return bytes / (1024.0 * 1024.0);
}
} // namespace

int main(int argc, char** argv)
{
    std::optional<Benchmarks::GlContext> context;
    if (!Benchmarks::OpenQuietly(context, BuildScene))
    {
        return 1;
    }
    benchmark::RegisterBenchmark("GBufferPass", GBufferPass)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DeferredFrame", DeferredFrame)
        ->Arg(1)
        ->Arg(8)
        ->Arg(kMostLights)
        ->Unit(benchmark::kMillisecond);
    std::vector<Benchmarks::Ratio> ratios;
    for (const char* lights : {"1", "8", "64"})
    {
        ratios.push_back(
            {std::string("deferred frame with ") + lights + " point lights vs G-buffer pass alone",
             "GBufferPass", std::string("DeferredFrame/") + lights, false, true});
    }
    ratios.push_back({"64 point lights vs 1", "DeferredFrame/1", "DeferredFrame/64", false, true});
    const int status = Benchmarks::RunWithRatios(argc, argv, ratios);
    for (const float quality : {0.25f, 0.5f, 1.0f, 1.5f})
    {
        double mebibytes = 0.0;
        {
            const Benchmarks::RedirectedOutput quiet("/dev/null");
            mebibytes = TargetMebibytes(quality);
        }
        std::printf("G-buffer targets at quality %.2f: %.2f MiB\n", quality, mebibytes);
    }
    g_pointLights.clear();
    g_objects.clear();
    return status;
}
