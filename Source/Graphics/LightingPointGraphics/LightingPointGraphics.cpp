#include "Graphics/LightingPointGraphics/LightingPointGraphics.h"

#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Parsing/IParserData.h"
#include "Shader/UniformDefinition.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

using namespace Morvane;
using namespace Morvane::Graphics;

namespace
{
constexpr const char* kType = "GraphicsComponent_PointLight";

constexpr unsigned kNormalsUnit = 2;
constexpr unsigned kDiffuseUnit = 3;
constexpr unsigned kPositionsUnit = 4;
} // namespace

std::string LightingPointGraphics::Channel() const
{
    return Format("%s/LightingPointGraphics", GetOwnerName().c_str());
}

bool LightingPointGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Channel(), "Base could not parse");
        return false;
    }
    return m_textures.Parse(*data, Channel());
}

bool LightingPointGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    m_textures.Save(*element);
    return true;
}

void LightingPointGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<LightingPointGraphics*>(destination))
    {
        other->m_textures = m_textures;
        other->m_lightAttenuation = m_lightAttenuation;
    }
}

void LightingPointGraphics::UploadPosition(Camera* camera, const UniformDefinition& uniform)
{
    Game::TransformComponent* transform = GetTransform();
    MORVANE_ASSERT_NAMED(transform != nullptr, "transform", __LINE__);
    MORVANE_ASSERT_NAMED(camera != nullptr, "camera", __LINE__);
    // The world matrix, not the local position: a light carried by a parent moves with it.
    const glm::vec4 position = transform->GetWorldMatrix()[3];
    UploadVec3(uniform, glm::vec3(camera->GetView() * position));
}

void LightingPointGraphics::SetCustomUniform(Camera* camera, const UniformDefinition& uniform)
{
    switch (uniform.m_customPurpose)
    {
    case kDeferredDiffuseTexture:
        UploadSampler(uniform, m_textures.diffuse, kDiffuseUnit, "m_deferredDiffuse");
        break;
    case kDeferredNormalsTexture:
        UploadSampler(uniform, m_textures.normals, kNormalsUnit, "m_deferredNormals");
        break;
    case kDeferredPositionsTexture:
        UploadSampler(uniform, m_textures.positions, kPositionsUnit, "m_deferredPositions");
        break;
    case kLightPositionView:
        UploadPosition(camera, uniform);
        break;
    case kLightAttenuation:
        UploadVec3(uniform, m_lightAttenuation);
        break;
    default:
        break;
    }
}
