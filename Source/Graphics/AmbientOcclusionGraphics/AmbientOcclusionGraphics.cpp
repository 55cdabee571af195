#include "Graphics/AmbientOcclusionGraphics/AmbientOcclusionGraphics.h"

#include "Graphics/Camera.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "Shader/UniformDefinition.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <memory>

using namespace Morvane;
using namespace Morvane::Graphics;

namespace
{
constexpr const char* kType = "GraphicsComponent_AmbientOcclusion";
constexpr unsigned kNormalsUnit = 2;
constexpr unsigned kPositionsUnit = 3;
constexpr unsigned kNoiseUnit = 4;
// The same sequence on every parse, whatever else drew random numbers before.
constexpr std::minstd_rand::result_type kSeed = 20130612;

bool IsPerfectSquare(std::size_t value, std::size_t& side)
{
    side = static_cast<std::size_t>(std::lround(std::sqrt(static_cast<double>(value))));
    return side * side == value && value > 0;
}

Texture* LookUpTexture(const IParserData& data, const char* attribute)
{
    return Resources::System::GetInstance().GetResource<Texture>(data.GetAttribute(attribute, ""));
}

std::string NameOf(const Texture* texture)
{
    return texture != nullptr ? texture->GetName() : "";
}
} // namespace

std::string AmbientOcclusionGraphics::Channel() const
{
    return Format("%s/AmbientOcclusionGraphics", GetOwnerName().c_str());
}

std::string AmbientOcclusionGraphics::NoiseName() const
{
    return GetOwnerName() + "_SSAO_NoiseTexture";
}

bool AmbientOcclusionGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Channel(), "Base could not parse");
        return false;
    }
    m_deferredNormals = LookUpTexture(*data, "deferredNormals");
    if (m_deferredNormals == nullptr)
    {
        Log::Error(Channel(), "Could not get normals texture");
        return false;
    }
    m_deferredPositions = LookUpTexture(*data, "deferredPositions");
    if (m_deferredPositions == nullptr)
    {
        Log::Error(Channel(), "Could not get positions texture");
        return false;
    }
    m_sourceCameraName = data->GetAttribute("sourceCamera", "");
    m_sourceCamera = Graphics::System::GetInstance().GetCamera(m_sourceCameraName);
    if (m_sourceCamera == nullptr)
    {
        Log::Error(Channel(), Format("Could not get source camera '%s'", m_sourceCameraName.c_str()));
        return false;
    }
    m_scaleFactor = data->GetAttributeFloat("scaleFactor", 2.0f);
    m_random.seed(kSeed);
    return BuildKernel(kKernelSize) && BuildNoise(kNoiseSize);
}

float AmbientOcclusionGraphics::NextRandom()
{
    // Scaled by the generator's own range: its maximum, not the C library's RAND_MAX.
    return static_cast<float>(m_random() - std::minstd_rand::min()) /
           static_cast<float>(std::minstd_rand::max() - std::minstd_rand::min());
}

bool AmbientOcclusionGraphics::BuildKernel(std::size_t size)
{
    std::size_t side = 0;
    if (!IsPerfectSquare(size, side))
    {
        Log::Error(Channel(), "Not a perfect square given as kernel size");
        return false;
    }
    m_kernel.clear();
    while (m_kernel.size() < size)
    {
        const float z = NextRandom();
        const float y = NextRandom() * 2.0f - 1.0f;
        const float x = NextRandom() * 2.0f - 1.0f;
        const glm::vec3 sample(x, y, z);
        // A zero vector has no direction to normalise: draw again rather than keep NaN.
        if (glm::dot(sample, sample) == 0.0f)
        {
            continue;
        }
        const float step = static_cast<float>(m_kernel.size()) / static_cast<float>(size);
        m_kernel.push_back(glm::normalize(sample) * (0.1f + 0.9f * step * step));
    }
    return true;
}

bool AmbientOcclusionGraphics::BuildNoise(std::size_t size)
{
    std::size_t side = 0;
    if (!IsPerfectSquare(size, side))
    {
        Log::Error(Channel(), "Not a perfect square given as noise size");
        return false;
    }
    std::vector<float> texels;
    texels.reserve(size * 4);
    while (texels.size() < size * 4)
    {
        const float a = NextRandom() * 2.0f - 1.0f;
        const float b = NextRandom() * 2.0f - 1.0f;
        if (a == 0.0f && b == 0.0f)
        {
            continue;
        }
        const glm::vec3 direction = glm::normalize(glm::vec3(b, a, 0.0f));
        texels.insert(texels.end(), {direction.x, direction.y, direction.z, 1.0f});
    }
    RemoveNoise();
    auto noise = std::make_unique<Texture>(NoiseName());
    noise->SetColorData(std::move(texels), static_cast<unsigned>(side), static_cast<unsigned>(side));
    noise->SetInternalFormat(GL_RGBA32F);
    noise->SetFormat(GL_RGB);
    noise->SetWrapMode(GL_REPEAT);
    noise->SetMagFilter(GL_NEAREST);
    noise->SetMinFilter(GL_NEAREST);
    if (!noise->Initialize())
    {
        Log::Error(Channel(), "Could not initialize noise texture");
        return false;
    }
    Texture* made = noise.get();
    if (!Resources::System::GetInstance().AddResource(std::move(noise)))
    {
        return false;
    }
    m_noiseTexture = made;
    return true;
}

void AmbientOcclusionGraphics::RemoveNoise()
{
    if (m_noiseTexture != nullptr)
    {
        Resources::System::GetInstance().UnloadIfLoaded(NoiseName());
        m_noiseTexture = nullptr;
    }
}

void AmbientOcclusionGraphics::Release()
{
    RemoveNoise();
}

bool AmbientOcclusionGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    element->SetAttribute("deferredNormals", NameOf(m_deferredNormals));
    element->SetAttribute("deferredPositions", NameOf(m_deferredPositions));
    element->SetAttribute("sourceCamera", m_sourceCameraName);
    element->SetAttributeFloat("scaleFactor", m_scaleFactor);
    return true;
}

void AmbientOcclusionGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<AmbientOcclusionGraphics*>(destination))
    {
        other->m_deferredNormals = m_deferredNormals;
        other->m_deferredPositions = m_deferredPositions;
        other->m_sourceCamera = m_sourceCamera;
        other->m_sourceCameraName = m_sourceCameraName;
        // The clone makes its own noise under its own name: sharing the maker's would leave it pointing
        // at a texture its maker removes on release. The fixed seed makes both the same.
        other->m_random.seed(kSeed);
        other->BuildKernel(kKernelSize);
        other->BuildNoise(kNoiseSize);
        other->m_scaleFactor = m_scaleFactor;
    }
}

void AmbientOcclusionGraphics::SetCustomUniform(Camera*, const UniformDefinition& uniform)
{
    switch (uniform.m_customPurpose)
    {
    case kDeferredNormalsTexture:
        UploadSampler(uniform, m_deferredNormals, kNormalsUnit, "m_deferredNormals");
        break;
    case kDeferredPositionsTexture:
        UploadSampler(uniform, m_deferredPositions, kPositionsUnit, "m_deferredPositions");
        break;
    case kSsaoNoiseTexture:
        UploadSampler(uniform, m_noiseTexture, kNoiseUnit, "m_noiseTexture");
        break;
    case kSsaoNoiseScale:
    {
        // Noise tiles per target, from the positions the occlusion is computed for (the target may
        // be smaller than the window the drawing camera spans).
        MORVANE_ASSERT_NAMED(m_noiseTexture != nullptr, "m_noiseTexture", __LINE__);
        MORVANE_ASSERT_NAMED(m_deferredPositions != nullptr, "m_deferredPositions", __LINE__);
        UploadVec2(uniform, {static_cast<float>(m_deferredPositions->GetWidth()) /
                                 static_cast<float>(m_noiseTexture->GetWidth()),
                             static_cast<float>(m_deferredPositions->GetHeight()) /
                                 static_cast<float>(m_noiseTexture->GetHeight())});
        break;
    }
    case kSsaoKernel:
        MORVANE_ASSERT_NAMED(!m_kernel.empty(), "!m_kernel.empty()", __LINE__);
        MORVANE_ASSERT_NAMED(uniform.m_type == GL_FLOAT_VEC3, "currentUniform.m_type == GL_FLOAT_VEC3",
                             __LINE__);
        glUniform3fv(uniform.m_location,
                     static_cast<GLsizei>(
                         std::min<std::size_t>(m_kernel.size(), static_cast<std::size_t>(uniform.m_size))),
                     glm::value_ptr(m_kernel.front()));
        break;
    case kSsaoKernelSize:
        MORVANE_ASSERT_NAMED(!m_kernel.empty(), "!m_kernel.empty()", __LINE__);
        MORVANE_ASSERT_NAMED(uniform.m_type == GL_INT, "currentUniform.m_type == GL_INT", __LINE__);
        glUniform1i(uniform.m_location, static_cast<GLint>(m_kernel.size()));
        break;
    case kSsaoSourceProjectionMatrix:
        MORVANE_ASSERT_NAMED(m_sourceCamera != nullptr, "m_sourceCamera", __LINE__);
        UploadMat4(uniform, m_sourceCamera->GetProjection());
        break;
    case kSsaoScaleFactor:
        UploadFloat(uniform, m_scaleFactor);
        break;
    default:
        break;
    }
}
