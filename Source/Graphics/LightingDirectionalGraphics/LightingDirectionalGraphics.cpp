#include "Graphics/LightingDirectionalGraphics/LightingDirectionalGraphics.h"

#include "Graphics/Camera.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "Shader/UniformDefinition.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <glm/gtc/type_ptr.hpp>

using namespace Morvane;
using namespace Morvane::Graphics;

namespace
{
constexpr const char* kType = "GraphicsComponent_DirectionalLight";

// The key light and two fill lights, pointing from the surface toward each light; the shader
// normalises them, so their lengths do not matter.
const glm::vec3 kLightDirections[] = {{1.0f, 1.0f, 1.0f}, {-1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, -1.0f}};

constexpr unsigned kNormalsUnit = 2;
constexpr unsigned kDiffuseUnit = 3;
constexpr unsigned kAmbientTermUnit = 4;
constexpr unsigned kPositionsUnit = 5;
} // namespace

std::string LightingDirectionalGraphics::Channel() const
{
    return Format("%s/LightingDirectionalGraphics", GetOwnerName().c_str());
}

bool LightingDirectionalGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Channel(), "Base could not parse");
        return false;
    }
    if (!m_textures.Parse(*data, Channel()))
    {
        return false;
    }
    m_worldCamera = Graphics::System::GetInstance().GetCamera("Camera_World");
    return true;
}

bool LightingDirectionalGraphics::Initialize()
{
    m_lightDirs.assign(std::begin(kLightDirections), std::end(kLightDirections));
    return true;
}

bool LightingDirectionalGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    m_textures.Save(*element);
    return true;
}

void LightingDirectionalGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<LightingDirectionalGraphics*>(destination))
    {
        other->m_ambientColor = m_ambientColor;
        other->m_fogAmount = m_fogAmount;
        other->m_textures = m_textures;
        other->m_lightDirs = m_lightDirs;
        other->m_worldCamera = m_worldCamera;
        other->m_fogColor = m_fogColor;
    }
}

void LightingDirectionalGraphics::UploadDirections(const UniformDefinition& uniform) const
{
    MORVANE_ASSERT_NAMED(m_worldCamera != nullptr, "m_worldCamera", __LINE__);
    MORVANE_ASSERT_NAMED(uniform.m_type == GL_FLOAT_VEC3, "currentUniform.m_type == GL_FLOAT_VEC3", __LINE__);
    MORVANE_ASSERT_NAMED(m_lightDirs.size() == static_cast<unsigned>(uniform.m_size),
                         "m_lightDirs.size() == (unsigned)currentUniform.m_size", __LINE__);
    const glm::mat4& view = m_worldCamera->GetView();
    std::vector<glm::vec3> inView;
    inView.reserve(m_lightDirs.size());
    for (const glm::vec3& direction : m_lightDirs)
    {
        inView.emplace_back(view * glm::vec4(direction, 0.0f));
    }
    glUniform3fv(uniform.m_location, static_cast<GLsizei>(inView.size()), glm::value_ptr(inView.front()));
}

void LightingDirectionalGraphics::SetCustomUniform(Camera*, const UniformDefinition& uniform)
{
    switch (uniform.m_customPurpose)
    {
    case kAmbientTerm:
        UploadSampler(uniform, m_textures.ambientTerm, kAmbientTermUnit, "m_ambientTerm");
        break;
    case kDeferredDiffuseTexture:
        UploadSampler(uniform, m_textures.diffuse, kDiffuseUnit, "m_deferredDiffuse");
        break;
    case kDeferredNormalsTexture:
        UploadSampler(uniform, m_textures.normals, kNormalsUnit, "m_deferredNormals");
        break;
    case kDeferredPositionsTexture:
        UploadSampler(uniform, m_textures.positions, kPositionsUnit, "m_deferredPositions");
        break;
    case kLightDirectionView:
        UploadDirections(uniform);
        break;
    case kAmbientColor:
        UploadVec3(uniform, m_ambientColor);
        break;
    case kFogColor:
        UploadVec3(uniform, m_fogColor);
        break;
    case kFogAmount:
        UploadFloat(uniform, m_fogAmount);
        break;
    default:
        break;
    }
}
