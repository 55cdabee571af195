// What each post-processing effect adds to the first room's frame, as the game's data describes room,
// passes and effects: every effect's passes switched on over the configured frame, one at a time and
// all together, against the plain frame in the same run. Then the engine's ambient occlusion and FXAA
// passes, each the only pass on, against a bare GL loop drawing the same programs over the same targets,
// which shows what the pass machinery costs around the draws. glFinish after each frame and wall time
// throughout: llvmpipe rasterises on its own threads.
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "GlContext.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GlObject.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/LightingDirectionalGraphics/LightingDirectionalGraphics.h"
#include "Graphics/OpenGL.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "System/Pass/Pass.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/FrameBuffer.h"
#include "Texture/Texture.h"

#include <SDL_timer.h>
#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <glm/vec2.hpp>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace
{
using namespace Morvane;

const char* const kAmbientOcclusionPass = "ConditionalPass_AmbientOcclusion";
const char* const kViewportPass = "Viewport_pass";

struct Effect
{
    const char* name;
    const char* label;
    std::vector<std::string> passes;
    // FXAA is no pass of its own: the viewport pass draws with the FXAA shader instead.
    bool fxaa;
};

const std::vector<Effect> kEffects = {
    {"AmbientOcclusion", "ambient occlusion", {kAmbientOcclusionPass}, false},
    {"LightScattering",
     "light scattering",
     {"LightScattering_Init", "ConditionalPass_LightScattering_Normal"},
     false},
    {"Bloom", "bloom", {"ConditionalPass_Bloom"}, false},
    {"EdgeDetection", "edge detection", {"ConditionalPass_EdgeDetection"}, false},
    {"DepthOfField", "depth of field", {"ConditionalPass_Dof"}, false},
    {"Fxaa", "FXAA", {}, true},
};

// The passes as the configuration switches them, kept before any benchmark changes them.
std::map<std::string, bool> g_configured;
LightingDirectionalGraphics* g_sun = nullptr;
Graphics::Texture* g_occlusion = nullptr;
Graphics::Texture* g_null = nullptr;

// Two triangles over the whole target with the screen quad's attribute locations (position 0,
// texture coordinate 1), so that the bare loop feeds the full-screen vertex shader as the mesh does.
// Built once the context exists, emptied before it goes (the holder itself outlives main's context).
struct Quad
{
    Graphics::GlVertexArray vertexArray;
    Graphics::GlBuffer buffer;

    bool Build()
    {
        const std::array<float, 30> vertices = {
            -1.0f, -1.0f, 0.0f, 0.0f, 0.0f, 1.0f, -1.0f, 0.0f, 1.0f, 0.0f, 1.0f,  1.0f, 0.0f, 1.0f, 1.0f,
            -1.0f, -1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f,  0.0f, 1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 0.0f, 1.0f,
        };
        buffer = Graphics::GlBuffer::Create();
        glNamedBufferStorage(buffer.Get(), sizeof(vertices), vertices.data(), 0);
        vertexArray = Graphics::GlVertexArray::Create();
        const GLuint array = vertexArray.Get();
        glVertexArrayVertexBuffer(array, 0, buffer.Get(), 0, 5 * sizeof(float));
        glEnableVertexArrayAttrib(array, 0);
        glVertexArrayAttribFormat(array, 0, 3, GL_FLOAT, GL_FALSE, 0);
        glVertexArrayAttribBinding(array, 0, 0);
        glEnableVertexArrayAttrib(array, 1);
        glVertexArrayAttribFormat(array, 1, 2, GL_FLOAT, GL_FALSE, 3 * sizeof(float));
        glVertexArrayAttribBinding(array, 1, 0);
        return array != 0 && buffer.Get() != 0;
    }
    void Release()
    {
        vertexArray.Reset();
        buffer.Reset();
    }
};

Quad g_quad;

bool AllReady()
{
    const auto& components = Graphics::System::GetInstance().GetComponents();
    return std::ranges::all_of(components, [](const Graphics::Component* c) { return c->IsReady(); });
}

Graphics::Component* GraphicsOf(const char* object)
{
    const Game::Object* found = Game::System::GetInstance().GetObject(object);
    return found != nullptr ? found->GetComponent<Graphics::Component>() : nullptr;
}

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::ranges::find(names, name) != names.end();
}

// The configured frame with `extra` on as well, or with `alone` only `extra`; the directional light
// takes the blurred occlusion as its ambient term exactly when the occlusion pass runs.
void Switch(const std::vector<std::string>& extra, bool alone, bool fxaa)
{
    Graphics::System& graphics = Graphics::System::GetInstance();
    for (const auto& pass : graphics.GetPasses())
    {
        pass->enabled = (!alone && g_configured[pass->GetName()]) || Contains(extra, pass->GetName());
    }
    graphics.GetPass(kViewportPass)->SetRenderShader(fxaa ? "Shader_Fxaa" : "Shader_DiffuseTexture");
    g_sun->SetAmbientTerm(Contains(extra, kAmbientOcclusionPass) ? g_occlusion : g_null);
}

bool BuildScene()
{
    PathWrapper& paths = PathWrapper::GetInstance();
    // The committed packs name their files from the game's folder, where the benchmark's folder is
    // beside the data links.
    const std::string data = paths.Expand("$(LocalFolder)../");
    paths.AddPath("LocalFolder", data);
    paths.AddPath("ConfigurationFolder", data + "Configuration/");
    Graphics::System& graphics = Graphics::System::GetInstance();
    graphics.m_customComponentFactory = &CreateCustomGraphicsComponent;
    graphics.m_customUniformIdentifier = &IdentifyCustomPurpose;
    Resources::System& resources = Resources::System::GetInstance();
    // The caption's font as well: the GUI pass is part of the game's plain frame.
    for (const char* pack : {"Meshes.xml", "Shaders.xml", "Fonts.xml", "RenderTargets.xml"})
    {
        FileParser parser;
        if (!resources.Parse(parser.Parse(data + "Resources/" + pack)))
        {
            return false;
        }
    }
    FileParser passes;
    FileParser game;
    // Audio and behaviour components fail without their systems: the room's lighting behaviour is
    // replaced by the ambient colour below, and nothing else here needs them.
    if (!resources.Initialize() || !graphics.Parse(passes.Parse(data + "Configuration/Graphics.xml")) ||
        !Game::System::GetInstance().Parse(game.Parse(data + "Configuration/Game.xml")))
    {
        return false;
    }
    // The meshes load in the background: step until every component can draw.
    for (int frame = 0; frame < 2000 && !AllReady(); ++frame)
    {
        resources.Update(0.016f);
        SDL_Delay(5);
    }
    resources.Update(0.016f);
    Game::System::GetInstance().Update(0.016f);
    for (const auto& pass : graphics.GetPasses())
    {
        g_configured[pass->GetName()] = pass->enabled;
    }
    g_sun = dynamic_cast<LightingDirectionalGraphics*>(GraphicsOf("result"));
    g_occlusion = resources.GetResource<Graphics::Texture>("SSAO_OcclusionTextureBlur");
    g_null = resources.GetResource<Graphics::Texture>("Texture_Null");
    if (g_sun == nullptr || g_occlusion == nullptr || g_null == nullptr || !AllReady() ||
        graphics.GetPass(kViewportPass) == nullptr)
    {
        return false;
    }
    g_sun->SetAmbientColor({0.3f, 0.32f, 0.38f});
    if (!g_quad.Build() || resources.GetResource<Graphics::Shader>("Shader_Fxaa") == nullptr)
    {
        return false;
    }
    // llvmpipe compiles each program's code at its first draw: every effect once before any timing.
    std::vector<std::string> everyPass;
    for (const Effect& effect : kEffects)
    {
        everyPass.insert(everyPass.end(), effect.passes.begin(), effect.passes.end());
    }
    Switch(everyPass, false, true);
    for (int frame = 0; frame < 3; ++frame)
    {
        graphics.Update(0.016f);
    }
    Switch({}, false, false);
    graphics.Update(0.016f);
    glFinish();
    return true;
}

void Frames(benchmark::State& state)
{
    for (auto _ : state)
    {
        Graphics::System::GetInstance().Update(0.016f);
        glFinish();
    }
}

// The G-buffer and lit picture that the passes measured alone read, as the plain frame leaves them.
void DrawPlainFrame()
{
    Switch({}, false, false);
    Graphics::System::GetInstance().Update(0.016f);
    glFinish();
}

void EffectFrame(benchmark::State& state, const std::vector<std::string>& passes, bool fxaa)
{
    Switch(passes, false, fxaa);
    Frames(state);
    Switch({}, false, false);
}

void PassAlone(benchmark::State& state, const std::vector<std::string>& passes, bool fxaa)
{
    DrawPlainFrame();
    Switch(passes, true, fxaa);
    Frames(state);
    Switch({}, false, false);
}

// One full-screen draw of a Render command, reduced to its GL calls: the uniforms stay in the program,
// so only the binding state is repeated per draw.
struct BareDraw
{
    GLuint program = 0;
    GLuint frameBuffer = 0;
    glm::ivec2 size{0};
    std::vector<GLuint> subroutines;
    // Unit and texture for each sampler of the program.
    std::vector<std::pair<GLuint, GLuint>> textures;
};

// The draw the pass makes of `object`'s component with `shaderName`, its uniforms uploaded now by the
// component itself; null for anything missing. `frameBuffer` null is the window's.
std::optional<BareDraw> Prepare(const char* shaderName, const char* object, const char* frameBuffer,
                                glm::ivec2 size, const char* subroutine = nullptr)
{
    Resources::System& resources = Resources::System::GetInstance();
    Graphics::System& graphics = Graphics::System::GetInstance();
    Graphics::Shader* shader = resources.GetResource<Graphics::Shader>(shaderName);
    Graphics::Component* component = GraphicsOf(object);
    Graphics::Camera* camera = graphics.GetCamera("Camera_GUI");
    if (shader == nullptr || !shader->IsInitialized() || component == nullptr || camera == nullptr)
    {
        return std::nullopt;
    }
    BareDraw draw;
    draw.program = shader->GetProgram();
    draw.size = size;
    if (frameBuffer != nullptr)
    {
        const auto* target = resources.GetResource<Graphics::FrameBuffer>(frameBuffer);
        if (target == nullptr)
        {
            return std::nullopt;
        }
        draw.frameBuffer = target->GetHandle();
    }
    if (subroutine != nullptr)
    {
        const std::optional<GLuint> index =
            shader->GetSubroutineIndex(Graphics::Shader::Stage::Fragment, subroutine);
        if (!index)
        {
            return std::nullopt;
        }
        draw.subroutines = {*index};
    }
    glUseProgram(draw.program);
    graphics.GetUniformFeeder().BeginFrame();
    component->SetUniforms(shader, camera);
    for (const Graphics::UniformDefinition& uniform : shader->GetUniforms())
    {
        if (uniform.m_type != GL_SAMPLER_2D || uniform.m_location < 0)
        {
            continue;
        }
        GLint unit = 0;
        glGetUniformiv(draw.program, uniform.m_location, &unit);
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        GLint texture = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        draw.textures.emplace_back(static_cast<GLuint>(unit), static_cast<GLuint>(texture));
    }
    return draw;
}

void BareLoop(benchmark::State& state, const std::vector<std::optional<BareDraw>>& draws)
{
    if (std::ranges::any_of(draws, [](const std::optional<BareDraw>& draw) { return !draw; }))
    {
        state.SkipWithError("a program, component or target is missing");
        return;
    }
    // The state the post-processing passes set before their draws.
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glBindVertexArray(g_quad.vertexArray.Get());
    for (auto _ : state)
    {
        for (const std::optional<BareDraw>& draw : draws)
        {
            glBindFramebuffer(GL_FRAMEBUFFER, draw->frameBuffer);
            glViewport(0, 0, draw->size.x, draw->size.y);
            glUseProgram(draw->program);
            // GL forgets the subroutine selection whenever a program is made current.
            if (!draw->subroutines.empty())
            {
                glUniformSubroutinesuiv(GL_FRAGMENT_SHADER, static_cast<GLsizei>(draw->subroutines.size()),
                                        draw->subroutines.data());
            }
            for (const auto& [unit, texture] : draw->textures)
            {
                glBindTextureUnit(unit, texture);
            }
            glDrawArrays(GL_TRIANGLES, 0, 6);
        }
        glFinish();
    }
    glBindVertexArray(0);
}

glm::ivec2 SizeOf(const char* texture)
{
    const auto* found = Resources::System::GetInstance().GetResource<Graphics::Texture>(texture);
    return found != nullptr ? glm::ivec2(found->GetWidth(), found->GetHeight()) : glm::ivec2(0);
}

void BareOcclusion(benchmark::State& state)
{
    DrawPlainFrame();
    BareLoop(state, {Prepare("Shader_AmbientOcclusion", "ssao0", "FrameBuffer_SSAO",
                             SizeOf("SSAO_OcclusionTexture"))});
}

// The occlusion pass's three draws. Both blurs share one program and upload the same values (same
// scale, same blur size), so the uniforms set once serve both; only their textures differ.
void BareOcclusionAndBlurs(benchmark::State& state)
{
    DrawPlainFrame();
    const glm::ivec2 size = SizeOf("SSAO_OcclusionTexture");
    BareLoop(state,
             {Prepare("Shader_AmbientOcclusion", "ssao0", "FrameBuffer_SSAO", size),
              Prepare("Shader_SimpleBlur", "ssao1", "FrameBuffer_SSAO_BlurHorizontal", size, "Horizontal"),
              Prepare("Shader_SimpleBlur", "ssao2", "FrameBuffer_SSAO_Blur", size, "Vertical")});
}

void BareFxaa(benchmark::State& state)
{
    DrawPlainFrame();
    const Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Camera_GUI");
    const glm::ivec2 size = camera != nullptr ? glm::ivec2(camera->GetViewportSize()) : glm::ivec2(0);
    BareLoop(state, {Prepare("Shader_Fxaa", "Viewport", nullptr, size)});
}

// Each benchmark counts its iterations in wall time (UseRealTime): a GL frame's CPU time is a small
// part of it, and counting that would run every benchmark many times longer. A second per benchmark
// keeps the slowest frames (a quarter of a second) at several iterations. Google Benchmark names the
// runs after both settings, and the ratios look runs up by name.
const char* const kRunSuffix = "/min_time:1.000/real_time";

benchmark::internal::Benchmark* Timed(benchmark::internal::Benchmark* benchmark)
{
    return benchmark->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
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
    const auto add = [&ratios](const std::string& label, const std::string& baseline,
                               const std::string& subject) {
        ratios.push_back({label, baseline + kRunSuffix, subject + kRunSuffix, false, true});
    };
    Timed(benchmark::RegisterBenchmark("PlainFrame", EffectFrame, std::vector<std::string>{}, false));
    std::vector<std::string> everyPass;
    for (const Effect& effect : kEffects)
    {
        const std::string name = std::string("Frame/") + effect.name;
        Timed(benchmark::RegisterBenchmark(name.c_str(), EffectFrame, effect.passes, effect.fxaa));
        add(std::string("frame with ") + effect.label + " vs plain frame", "PlainFrame", name);
        everyPass.insert(everyPass.end(), effect.passes.begin(), effect.passes.end());
    }
    Timed(benchmark::RegisterBenchmark("Frame/AllEffects", EffectFrame, everyPass, true));
    add("frame with every effect vs plain frame", "PlainFrame", "Frame/AllEffects");
    Timed(benchmark::RegisterBenchmark("Alone/AmbientOcclusion", PassAlone,
                                       std::vector<std::string>{kAmbientOcclusionPass}, false));
    Timed(benchmark::RegisterBenchmark("BareGL/AmbientOcclusion", BareOcclusion));
    Timed(benchmark::RegisterBenchmark("BareGL/AmbientOcclusionAndBlurs", BareOcclusionAndBlurs));
    Timed(
        benchmark::RegisterBenchmark("Alone/Fxaa", PassAlone, std::vector<std::string>{kViewportPass}, true));
    Timed(benchmark::RegisterBenchmark("BareGL/Fxaa", BareFxaa));
    // Every engine frame ends with a swap, which no bare loop makes: this is what it costs.
    Timed(benchmark::RegisterBenchmark("Alone/Nothing", PassAlone, std::vector<std::string>{}, false));
    // The engine's occlusion pass also blurs twice: against the occlusion draw alone that is counted as
    // overhead, against all three draws it is not.
    add("ambient occlusion: engine pass vs bare GL occlusion draw", "BareGL/AmbientOcclusion",
        "Alone/AmbientOcclusion");
    add("ambient occlusion: engine pass vs bare GL occlusion + blurs", "BareGL/AmbientOcclusionAndBlurs",
        "Alone/AmbientOcclusion");
    add("FXAA: engine pass vs bare GL", "BareGL/Fxaa", "Alone/Fxaa");
    add("frame with no pass (the swap alone) vs bare GL FXAA", "BareGL/Fxaa", "Alone/Nothing");
    const int status = Benchmarks::RunWithRatios(argc, argv, ratios);
    Game::System::GetInstance().Release();
    g_quad.Release();
    Graphics::System& graphics = Graphics::System::GetInstance();
    graphics.m_customComponentFactory = nullptr;
    graphics.m_customUniformIdentifier = nullptr;
    return status;
}
