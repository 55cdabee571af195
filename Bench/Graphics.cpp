// The graphics system's frame against bare OpenGL in the same run, on an 8 x 8 viewport (what the
// frame costs besides filling pixels) with glFinish after every frame: `Update` drawing N components
// against a loop drawing the same meshes with the same shader and uniforms; the Render command's
// culling against a plane test over a packed array; a frame whose components are all culled against
// one where all are visible.
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "GlContext.h"
#include "Graphics/GraphicsComponent.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Renderable/Mesh.h"
#include "System/Logging/Format.h"
#include "System/Pass/Pass.h"

#include <SDL_video.h>
#include <array>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <glm/gtc/type_ptr.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;

constexpr int kViewportSide = 8;
constexpr int kGridSide = 32;

const char* const kSolidVertex =
    "#version 450 core\nlayout(location = 0) in vec3 position;\nuniform mat4 mvp;\n"
    "void main() { gl_Position = mvp * vec4(position, 1.0); }\n";
const char* const kSolidFragment = "#version 450 core\nuniform vec4 colour;\nout vec4 result;\n"
                                   "void main() { result = colour; }\n";

// "Frame" clears the tiny viewport and draws the set "World" through "Eye"; "CullOnly" (never enabled)
// holds only the same Render command, for running it without a frame around it.
const char* const kGraphicsConfiguration = R"(<GraphicsSystem>
    <Camera name="Eye" position="0;0;60" target="0;0;0" width="8" height="8" fov="60" nearPlane="0.1"
            farPlane="200"/>
    <Set name="World"/>
    <PassConfiguration>
        <Pass name="Frame">
            <Command type="Viewport" width="8" height="8"/>
            <Command type="ClearColorBuffer" color="0;0;0;1"/>
            <Command type="Render" set="World" shader="Solid" camera="Eye"/>
        </Pass>
        <Pass name="CullOnly" enabled="false">
            <Command type="Render" set="World" shader="Solid" camera="Eye"/>
        </Pass>
    </PassConfiguration></GraphicsSystem>)";

// The shader "Solid" (the world's matrix and a colour), the square "Square" and the passes above.
bool BuildScene()
{
    const Benchmarks::ScratchFolder folder;
    const std::string shader = folder.Write(
        "solid.xml", "<Shader><VertexShader path=\"" + folder.Write("solid.vert", kSolidVertex) +
                         "\"/><FragmentShader path=\"" + folder.Write("solid.frag", kSolidFragment) +
                         R"("/><Uniform name="mvp" purpose="ModelViewProjectionMatrix"/>
                         <Uniform name="colour" purpose="DiffuseColor"/></Shader>)");
    XMLParserData definitions;
    Resources::System& resources = Resources::System::GetInstance();
    if (!definitions.FromString(R"(<ResourceSystem><Shader name="Solid" path=")" + shader + R"("/>
            <Mesh name="Square"><Buffer><Data>-0.5 -0.5 0 0.5 -0.5 0 0.5 0.5 0 -0.5 -0.5 0 0.5 0.5 0 -0.5 0.5 0</Data>
            <AttributeDescription location="0" normalise="false"/></Buffer></Mesh></ResourceSystem>)") ||
        !resources.Parse(&definitions) || resources.GetResource<Graphics::Shader>("Solid") == nullptr ||
        resources.GetResource<Graphics::Mesh>("Square") == nullptr)
    {
        return false;
    }
    XMLParserData graphics;
    return graphics.FromString(kGraphicsConfiguration) && Graphics::System::GetInstance().Parse(&graphics);
}

// `count` squares in the set "World", each its own object: on a grid in front of the camera, or all
// behind it.
class Squares
{
public:
    Squares(int count, bool inView)
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        for (int index = 0; index < count; ++index)
        {
            const float x = -20.0f + 40.0f * static_cast<float>(index % kGridSide) / (kGridSide - 1);
            const float y =
                -20.0f + 40.0f * static_cast<float>(index / kGridSide % kGridSide) / (kGridSide - 1);
            XMLParserData description;
            description.FromString(
                Format(R"(<Object><Transform position="%g;%g;%g"/><Graphics renderable="Square"
                diffuseColor="1;0.5;0;1" renderSets="World"/></Object>)",
                       x, y, inView ? 0.0f : 100.0f));
            auto object = std::make_unique<Game::Object>(Format("Square%d", index));
            object->Parse(&description);
            m_components.push_back(object->GetComponent<Graphics::Component>());
            m_objects.push_back(std::move(object));
        }
    }
    ~Squares()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        m_objects.clear();
    }
    Squares(const Squares&) = delete;
    Squares& operator=(const Squares&) = delete;

    const std::vector<Graphics::Component*>& Components() const { return m_components; }

private:
    std::vector<std::unique_ptr<Game::Object>> m_objects;
    std::vector<Graphics::Component*> m_components;
};

void GraphicsUpdate(benchmark::State& state, bool inView)
{
    const Squares squares(static_cast<int>(state.range(0)), inView);
    Graphics::System& graphics = Graphics::System::GetInstance();
    for (auto _ : state)
    {
        graphics.Update(0.016f);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The baseline frame: the same viewport, clear, shader, squares, uniforms and swap, from arrays of
// world matrices and colours, with the uniform locations looked up once.
void BareDraw(benchmark::State& state)
{
    const Squares squares(static_cast<int>(state.range(0)), true);
    std::vector<glm::mat4> worlds;
    std::vector<glm::vec4> colours;
    for (Graphics::Component* component : squares.Components())
    {
        worlds.push_back(component->GetTransform()->GetWorldMatrix());
        colours.push_back(component->GetDiffuseColor());
    }
    Resources::System& resources = Resources::System::GetInstance();
    const Graphics::Shader* shader = resources.GetResource<Graphics::Shader>("Solid");
    Graphics::Mesh* mesh = resources.GetResource<Graphics::Mesh>("Square");
    Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Eye");
    if (shader == nullptr || mesh == nullptr || camera == nullptr)
    {
        state.SkipWithError("the scene is incomplete");
        return;
    }
    const GLuint program = shader->GetProgram();
    const GLint mvp = glGetUniformLocation(program, "mvp");
    const GLint colour = glGetUniformLocation(program, "colour");
    SDL_Window* window = Window::System::GetInstance().window;
    for (auto _ : state)
    {
        glViewport(0, 0, kViewportSide, kViewportSide);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(program);
        const glm::mat4 viewProjection = camera->GetProjection() * camera->GetView();
        for (std::size_t index = 0; index < worlds.size(); ++index)
        {
            glUniformMatrix4fv(mvp, 1, GL_FALSE, glm::value_ptr(viewProjection * worlds[index]));
            glUniform4fv(colour, 1, glm::value_ptr(colours[index]));
            mesh->Draw();
        }
        SDL_GL_SwapWindow(window);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The Render command alone over components that are all behind the camera: the culling of each.
void RenderAllCulled(benchmark::State& state)
{
    const Squares squares(static_cast<int>(state.range(0)), false);
    Graphics::Pass* pass = Graphics::System::GetInstance().GetPass("CullOnly");
    if (pass == nullptr)
    {
        state.SkipWithError("no pass \"CullOnly\"");
        return;
    }
    for (auto _ : state)
    {
        pass->Execute();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The baseline culling: centre and half side packed in one array, the six planes' reach over the box
// against the centre's distance.
void BarePlaneTest(benchmark::State& state)
{
    const Squares squares(static_cast<int>(state.range(0)), false);
    std::vector<glm::vec4> boxes;
    for (Graphics::Component* component : squares.Components())
    {
        boxes.emplace_back(component->GetTransform()->GetPosition(), component->GetCullingRadius());
    }
    const std::array<glm::vec4, 6> planes =
        Graphics::System::GetInstance().GetCamera("Eye")->GetFrustumPlanes();
    for (auto _ : state)
    {
        int visible = 0;
        for (const glm::vec4& box : boxes)
        {
            bool inside = true;
            for (const glm::vec4& plane : planes)
            {
                const float reach = box.w * (std::abs(plane.x) + std::abs(plane.y) + std::abs(plane.z));
                if (glm::dot(glm::vec3(plane), glm::vec3(box)) + plane.w + reach < 0.0f)
                {
                    inside = false;
                    break;
                }
            }
            visible += inside ? 1 : 0;
        }
        benchmark::DoNotOptimize(visible);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void RegisterBenchmarks()
{
    benchmark::RegisterBenchmark("BareDraw", BareDraw)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("GraphicsUpdate", GraphicsUpdate, true)
        ->Arg(100)
        ->Arg(1000)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("GraphicsUpdateAllCulled", GraphicsUpdate, false)
        ->Arg(1000)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BarePlaneTest", BarePlaneTest)->Arg(1000)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("RenderAllCulled", RenderAllCulled)
        ->Arg(1000)
        ->Unit(benchmark::kMicrosecond);
}
} // namespace

int main(int argc, char** argv)
{
    std::optional<Benchmarks::GlContext> context;
    if (!Benchmarks::OpenQuietly(context, BuildScene))
    {
        return 1;
    }
    // The swap copies the whole window: keep it as small as the viewport.
    SDL_SetWindowSize(Window::System::GetInstance().window, kViewportSide, kViewportSide);
    RegisterBenchmarks();
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"graphics Update vs bare draw loop, 100 components", "BareDraw/100", "GraphicsUpdate/100", false},
         {"graphics Update vs bare draw loop, 1000 components", "BareDraw/1000", "GraphicsUpdate/1000",
          false},
         {"culling per component: Render vs bare plane test, 1000", "BarePlaneTest/1000",
          "RenderAllCulled/1000", false},
         {"1000 components all culled vs all visible", "GraphicsUpdate/1000", "GraphicsUpdateAllCulled/1000",
          true}});
}
