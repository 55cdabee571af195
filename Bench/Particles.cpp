// The particle component's draw against bare OpenGL doing the same work in the same run, with glFinish
// after each, at 100, 1,000 and 10,000 particles: the component builds every particle's world matrix,
// uploads the matrices and colours and draws once instanced; the bare loop builds the same matrices into
// a packed array, uploads both buffers with glBufferSubData and makes the same instanced draw.
#include "Component/Object.h"
#include "GlContext.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/ParticleGraphics/ParticleGraphics.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Renderable/Mesh.h"

#include <SDL_video.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <memory>
#include <optional>
#include <vector>

namespace
{
using namespace Morvane;

std::unique_ptr<Game::Object> g_sparks;

bool BuildScene()
{
    Graphics::System& graphics = Graphics::System::GetInstance();
    graphics.m_customComponentFactory = &CreateCustomGraphicsComponent;
    graphics.m_customUniformIdentifier = &IdentifyCustomPurpose;
    XMLParserData definitions;
    XMLParserData cameras;
    XMLParserData object;
    if (!definitions.FromString(R"(<ResourceSystem>
            <Shader name="Shader_Particle" path="$(LocalFolder)../Shaders/Particles/Particle.xml"/>
            <Mesh name="Mesh_Particle" path="$(LocalFolder)../Meshes/Particle.xml"/></ResourceSystem>)") ||
        !Resources::System::GetInstance().Parse(&definitions) ||
        !cameras.FromString(
            R"(<GraphicsSystem><Camera name="Eye" position="0;2.5;40" target="0;2.5;0" width="8"
            height="8" fov="60" nearPlane="0.1" farPlane="100"/></GraphicsSystem>)") ||
        !graphics.Parse(&cameras) ||
        !object.FromString(R"(<Object><Transform/><Graphics type="GraphicsComponent_Particle"
            renderable="Mesh_Particle"/></Object>)"))
    {
        return false;
    }
    g_sparks = std::make_unique<Game::Object>("Sparks");
    g_sparks->Parse(&object);
    return dynamic_cast<ParticleGraphics*>(g_sparks->GetComponent<Graphics::Component>()) != nullptr;
}

// `count` particles on a grid in front of the camera.
void Place(ParticleGraphics& particles, int count)
{
    particles.SetParticleCount(count);
    for (int particle = 0; particle < count; ++particle)
    {
        const auto at = static_cast<std::size_t>(particle);
        particles.Positions()[at] = {static_cast<float>(particle % 100) * 0.4f - 20.0f,
                                     static_cast<float>(particle / 100) * 0.05f, 0.0f};
        particles.Colours()[at] = {1.0f, 0.5f, 0.2f, 1.0f};
    }
}

void ParticleComponent(benchmark::State& state)
{
    auto& particles = *dynamic_cast<ParticleGraphics*>(g_sparks->GetComponent<Graphics::Component>());
    Place(particles, static_cast<int>(state.range(0)));
    auto* shader = Resources::System::GetInstance().GetResource<Graphics::Shader>("Shader_Particle");
    Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Eye");
    if (shader == nullptr || camera == nullptr)
    {
        state.SkipWithError("no shader or camera");
        return;
    }
    glUseProgram(shader->GetProgram());
    for (auto _ : state)
    {
        particles.Draw(shader, camera);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BareInstancedDraw(benchmark::State& state)
{
    auto& particles = *dynamic_cast<ParticleGraphics*>(g_sparks->GetComponent<Graphics::Component>());
    const int count = static_cast<int>(state.range(0));
    Place(particles, count);
    auto* shader = Resources::System::GetInstance().GetResource<Graphics::Shader>("Shader_Particle");
    Graphics::Camera* camera = Graphics::System::GetInstance().GetCamera("Eye");
    // The component's own copy, sized for `count` by its first draw.
    particles.Draw(shader, camera);
    Graphics::Mesh* mesh = particles.GetParticleMesh();
    if (shader == nullptr || camera == nullptr || mesh == nullptr)
    {
        state.SkipWithError("no particle mesh");
        return;
    }
    const GLuint program = shader->GetProgram();
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "view"), 1, GL_FALSE, glm::value_ptr(camera->GetView()));
    glUniformMatrix4fv(glGetUniformLocation(program, "projection"), 1, GL_FALSE,
                       glm::value_ptr(camera->GetProjection()));
    glUniform1f(glGetUniformLocation(program, "particlesScale"), 1.0f);
    std::vector<glm::mat4> matrices(static_cast<std::size_t>(count));
    std::vector<glm::vec4> colours(static_cast<std::size_t>(count));
    for (auto _ : state)
    {
        for (std::size_t particle = 0; particle < matrices.size(); ++particle)
        {
            matrices[particle] = glm::scale(glm::translate(glm::mat4(1.0f), particles.Positions()[particle]) *
                                                glm::mat4_cast(particles.Rotations()[particle]),
                                            particles.Scales()[particle]);
            colours[particle] = particles.Colours()[particle];
        }
        glNamedBufferSubData(mesh->GetBufferHandle(3), 0,
                             static_cast<GLsizeiptr>(matrices.size() * sizeof(glm::mat4)), matrices.data());
        glNamedBufferSubData(mesh->GetBufferHandle(4), 0,
                             static_cast<GLsizeiptr>(colours.size() * sizeof(glm::vec4)), colours.data());
        mesh->DrawInstanced(count);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
} // namespace

int main(int argc, char** argv)
{
    std::optional<Benchmarks::GlContext> context;
    if (!Benchmarks::OpenQuietly(context, BuildScene))
    {
        return 1;
    }
    SDL_SetWindowSize(Window::System::GetInstance().window, 8, 8);
    glViewport(0, 0, 8, 8);
    for (const char* name : {"BareInstancedDraw", "ParticleComponent"})
    {
        auto* benchmark = benchmark::RegisterBenchmark(
            name, std::string(name) == "BareInstancedDraw" ? BareInstancedDraw : ParticleComponent);
        benchmark->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
    }
    std::vector<Benchmarks::Ratio> ratios;
    for (const char* count : {"100", "1000", "10000"})
    {
        ratios.push_back({std::string("particle draw vs bare instanced draw, ") + count,
                          std::string("BareInstancedDraw/") + count,
                          std::string("ParticleComponent/") + count, false});
    }
    const int status = Benchmarks::RunWithRatios(argc, argv, ratios);
    g_sparks.reset();
    return status;
}
