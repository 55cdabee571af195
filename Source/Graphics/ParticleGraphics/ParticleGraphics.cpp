#include "Graphics/ParticleGraphics/ParticleGraphics.h"

#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "Renderable/Mesh.h"
#include "Resources/ResourceSystem.h"
#include "Shader/UniformDefinition.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

#include <cstdint>
#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <memory>

using namespace Morvane;
using namespace Morvane::Graphics;

namespace
{
constexpr const char* kType = "GraphicsComponent_Particle";
constexpr unsigned kDepthTextureUnit = 4;
constexpr std::size_t kFloatsPerMatrix = 16;
constexpr std::size_t kFloatsPerColour = 4;

// Placeholders come from a generator of their own: taking the C library's draws would shift what every
// level object drawn after them draws.
class PlaceholderRandom
{
public:
    // Uniform in [low, high].
    float operator()(float low, float high)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return low + (high - low) * static_cast<float>(m_state >> 8) / static_cast<float>(0xFFFFFF);
    }

private:
    std::uint32_t m_state = 1;
};

// Whether `buffer` of `mesh` holds a per-instance attribute of `size` floats at every attribute.
bool IsInstanceBuffer(const Mesh& mesh, std::size_t buffer, int size)
{
    if (buffer >= mesh.GetBufferCount() || mesh.GetBuffer(buffer).GetAttributes().empty())
    {
        return false;
    }
    for (const MeshAttribute& attribute : mesh.GetBuffer(buffer).GetAttributes())
    {
        if (attribute.divisor != 1 || attribute.elementSize != size)
        {
            return false;
        }
    }
    return true;
}
} // namespace

ParticleGraphics::ParticleGraphics(Game::Object* owner) : Component(owner)
{
    PlacePlaceholders();
}

std::string ParticleGraphics::Channel() const
{
    return Format("%s/ParticleGraphics", GetOwnerName().c_str());
}

void ParticleGraphics::PlacePlaceholders()
{
    SetParticleCount(kPlaceholderCount);
    PlaceholderRandom random;
    for (int particle = 0; particle < kPlaceholderCount; ++particle)
    {
        const std::size_t at = static_cast<std::size_t>(particle);
        m_positions[at] = {random(-20.0f, 20.0f), random(0.0f, 5.0f), random(-20.0f, 20.0f)};
        m_colours[at] = {random(0.0f, 1.0f), random(0.0f, 1.0f), random(0.0f, 1.0f), 1.0f};
    }
}

bool ParticleGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        return false;
    }
    // The spot every particle shows; drawing without one would sample nothing.
    if (GetTexture() == nullptr)
    {
        Log::Error(Channel(), "Particles need a \"texture\" for their spot");
        return false;
    }
    const std::string depth = data->GetAttribute("depthTexture", "");
    if (!depth.empty())
    {
        m_depthTexture = Resources::System::GetInstance().GetResource<Texture>(depth);
        if (m_depthTexture == nullptr)
        {
            Log::Error(Channel(), Format("Could not get the depth texture '%s'", depth.c_str()));
            return false;
        }
    }
    return true;
}

bool ParticleGraphics::Initialize()
{
    const auto* mesh = dynamic_cast<const Mesh*>(GetRenderable());
    if (m_particleMesh != nullptr || mesh == nullptr || !mesh->IsInitialized())
    {
        return true;
    }
    m_meshFailed = !MakeParticleMesh();
    return !m_meshFailed;
}

bool ParticleGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    element->SetAttribute("depthTexture", m_depthTexture != nullptr ? m_depthTexture->GetName() : "");
    return true;
}

void ParticleGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<ParticleGraphics*>(destination))
    {
        other->m_depthTexture = m_depthTexture;
        other->m_particlesScale = m_particlesScale;
        other->m_positions = m_positions;
        other->m_scales = m_scales;
        other->m_rotations = m_rotations;
        other->m_colours = m_colours;
    }
}

void ParticleGraphics::SetParticleCount(int count)
{
    MORVANE_ASSERT_NAMED(count >= 0, "count >= 0", __LINE__);
    const std::size_t size = static_cast<std::size_t>(count);
    m_positions.resize(size, glm::vec3(0.0f));
    m_scales.resize(size, glm::vec3(1.0f));
    m_rotations.resize(size, glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    m_colours.resize(size, glm::vec4(1.0f));
    ResizeInstanceBuffers();
}

void ParticleGraphics::ResizeInstanceBuffers()
{
    const std::size_t count = m_positions.size();
    m_matrixData.assign(count * kFloatsPerMatrix, 0.0f);
    for (std::size_t particle = 0; particle < count; ++particle)
    {
        const glm::mat4 identity(1.0f);
        std::copy_n(glm::value_ptr(identity), kFloatsPerMatrix, &m_matrixData[particle * kFloatsPerMatrix]);
    }
    m_colourData.assign(count * kFloatsPerColour, 1.0f);
    if (m_particleMesh != nullptr)
    {
        m_particleMesh->UpdateBuffer(kMatrixBuffer, m_matrixData);
        m_particleMesh->UpdateBuffer(kColourBuffer, m_colourData);
    }
}

bool ParticleGraphics::MakeParticleMesh()
{
    const auto* original = dynamic_cast<const Mesh*>(GetRenderable());
    MORVANE_ASSERT_NAMED(original != nullptr, "originalMesh", __LINE__);
    if (!IsInstanceBuffer(*original, kMatrixBuffer, 4) || !IsInstanceBuffer(*original, kColourBuffer, 4))
    {
        Log::Error(Channel(),
                   Format("The mesh '%s' has no per-instance matrix and colour buffers (the fourth "
                          "and fifth)",
                          original->GetName().c_str()));
        return false;
    }
    m_particleMeshName = GetOwnerName() + "_particleMesh";
    auto copy = std::make_unique<Mesh>(m_particleMeshName);
    Mesh* mesh = copy.get();
    for (std::size_t buffer = 0; buffer < original->GetBufferCount(); ++buffer)
    {
        MeshBuffer copied = original->GetBuffer(buffer);
        if (buffer == kMatrixBuffer || buffer == kColourBuffer)
        {
            copied.SetUsage(GL_DYNAMIC_DRAW);
            copied.SetData(buffer == kMatrixBuffer ? m_matrixData : m_colourData);
        }
        mesh->AddBuffer(std::move(copied));
    }
    mesh->SetIndices(original->GetIndices());
    mesh->SetDrawMode(original->GetDrawMode());
    Resources::System& resources = Resources::System::GetInstance();
    if (!resources.AddResource(std::move(copy)))
    {
        Log::Error(Channel(), "Could not copy mesh");
        m_particleMeshName.clear();
        return false;
    }
    if (!mesh->Initialize())
    {
        Log::Error(Channel(), "Could not copy mesh");
        resources.UnloadResource(m_particleMeshName);
        m_particleMeshName.clear();
        return false;
    }
    m_particleMesh = mesh;
    return true;
}

void ParticleGraphics::Draw(Shader* shader, Camera* camera)
{
    MORVANE_ASSERT_NAMED(GetRenderable() != nullptr, "mesh", __LINE__);
    if (m_particleMesh == nullptr)
    {
        // Once only: a mesh that cannot be copied is reported once, not every frame.
        if (m_meshFailed || !MakeParticleMesh())
        {
            m_meshFailed = true;
            return;
        }
    }
    // The behaviors write the arrays directly; one that resized only the positions resizes them all.
    const std::size_t count = m_positions.size();
    if (m_scales.size() != count || m_rotations.size() != count || m_colours.size() != count ||
        m_matrixData.size() != count * kFloatsPerMatrix)
    {
        SetParticleCount(static_cast<int>(count));
    }
    for (std::size_t particle = 0; particle < count; ++particle)
    {
        const glm::mat4 world = glm::scale(glm::translate(glm::mat4(1.0f), m_positions[particle]) *
                                               glm::mat4_cast(m_rotations[particle]),
                                           m_scales[particle]);
        std::copy_n(glm::value_ptr(world), kFloatsPerMatrix, &m_matrixData[particle * kFloatsPerMatrix]);
        std::copy_n(glm::value_ptr(m_colours[particle]), kFloatsPerColour,
                    &m_colourData[particle * kFloatsPerColour]);
    }
    m_particleMesh->StreamBuffer(kMatrixBuffer, m_matrixData);
    m_particleMesh->StreamBuffer(kColourBuffer, m_colourData);
    SetUniforms(shader, camera);
    m_particleMesh->DrawInstanced(static_cast<int>(count));
}

void ParticleGraphics::SetCustomUniform(Camera*, const UniformDefinition& uniform)
{
    if (uniform.m_customPurpose == kParticlesScale)
    {
        UploadFloat(uniform, m_particlesScale);
    }
    else if (uniform.m_customPurpose == kDeferredDepthTexture)
    {
        UploadSampler(uniform, m_depthTexture, kDepthTextureUnit, "m_depthTexture");
    }
}

void ParticleGraphics::Release()
{
    Resources::System::GetInstance().UnloadIfLoaded(m_particleMeshName);
    m_particleMeshName.clear();
    m_particleMesh = nullptr;
}
