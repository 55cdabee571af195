#include "Graphics/LightScattererGraphics/LightScattererGraphics.h"

#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/CustomPurposes/CustomUniforms.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "Shader/UniformDefinition.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

using namespace Morvane;
using namespace Morvane::Graphics;

namespace
{
constexpr const char* kType = "GraphicsComponent_LightScattering";
constexpr unsigned kOcclusionUnit = 3;
constexpr glm::vec3 kNoLight{0.5f, 0.5f, -1.0f};
} // namespace

std::string LightScattererGraphics::Channel() const
{
    return Format("%s/LightScatterer", GetOwnerName().c_str());
}

const Game::TransformComponent* LightScattererGraphics::FindLightTransform()
{
    const Game::Object* light = Game::System::GetInstance().GetObject(m_lightObjectName);
    return light != nullptr ? light->GetComponent<Game::TransformComponent>() : nullptr;
}

bool LightScattererGraphics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Channel(), "Base could not parse");
        return false;
    }
    // Each is read only when present: an absent one keeps what it was.
    for (const auto& [name, field] : {std::pair{"decay", &LightScattererGraphics::m_decay},
                                      std::pair{"exposure", &LightScattererGraphics::m_exposure},
                                      std::pair{"density", &LightScattererGraphics::m_density},
                                      std::pair{"weight", &LightScattererGraphics::m_weight}})
    {
        if (data->HasAttribute(name))
        {
            this->*field = data->GetAttributeFloat(name, this->*field);
        }
    }
    m_lightObjectName = data->GetAttribute("lightObjectName", "");
    if (FindLightTransform() == nullptr)
    {
        Log::Error(Channel(), "Could not get light transform");
        return false;
    }
    m_missingLightWarned = false;
    m_lightCameraName = data->GetAttribute("lightCameraName", "");
    m_lightCamera = Graphics::System::GetInstance().GetCamera(m_lightCameraName);
    if (m_lightCamera == nullptr)
    {
        Log::Error(Channel(), "Could not get light camera");
        return false;
    }
    m_occlusionTexture =
        Resources::System::GetInstance().GetResource<Texture>(data->GetAttribute("occlusionTexture", ""));
    if (m_occlusionTexture == nullptr)
    {
        Log::Error(Channel(), "Could not get occlusion");
        return false;
    }
    return true;
}

bool LightScattererGraphics::Save(IParserData* data)
{
    IParserData* element = SaveElement(data);
    element->SetAttribute("type", kType);
    element->SetAttributeFloat("decay", m_decay);
    element->SetAttributeFloat("exposure", m_exposure);
    element->SetAttributeFloat("density", m_density);
    element->SetAttributeFloat("weight", m_weight);
    element->SetAttribute("lightObjectName", m_lightObjectName);
    element->SetAttribute("lightCameraName", m_lightCameraName);
    element->SetAttribute("occlusionTexture",
                          m_occlusionTexture != nullptr ? m_occlusionTexture->GetName() : "");
    return true;
}

void LightScattererGraphics::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* other = dynamic_cast<LightScattererGraphics*>(destination))
    {
        other->m_occlusionTexture = m_occlusionTexture;
        other->m_lightCamera = m_lightCamera;
        other->m_lightCameraName = m_lightCameraName;
        other->m_lightObjectName = m_lightObjectName;
        other->m_exposure = m_exposure;
        other->m_decay = m_decay;
        other->m_density = m_density;
        other->m_weight = m_weight;
    }
}

glm::vec3 LightScattererGraphics::LightPositionScreen()
{
    const Game::TransformComponent* light = FindLightTransform();
    if (light == nullptr)
    {
        if (!m_missingLightWarned)
        {
            Log::Warning(Channel(), Format("Light object '%s' is gone: no rays", m_lightObjectName.c_str()));
            m_missingLightWarned = true;
        }
        return kNoLight;
    }
    m_missingLightWarned = false;
    const glm::vec4 clip =
        m_lightCamera->GetProjection() * m_lightCamera->GetView() * glm::vec4(light->GetPosition(), 1.0f);
    // On the camera's plane the division has no answer, and behind it the position comes out mirrored.
    if (!(clip.w > 0.0f))
    {
        return kNoLight;
    }
    return glm::vec3(clip) / clip.w * 0.5f + 0.5f;
}

void LightScattererGraphics::SetCustomUniform(Camera*, const UniformDefinition& uniform)
{
    switch (uniform.m_customPurpose)
    {
    case kDeferredDepthTexture:
        UploadSampler(uniform, m_occlusionTexture, kOcclusionUnit, "m_occlusionTexture");
        break;
    case kLightPositionScreen:
        MORVANE_ASSERT_NAMED(m_lightCamera != nullptr, "m_lightCamera", __LINE__);
        UploadVec3(uniform, LightPositionScreen());
        break;
    case kLightScatteringDecay:
        UploadFloat(uniform, m_decay);
        break;
    case kLightScatteringExposure:
        UploadFloat(uniform, m_exposure);
        break;
    case kLightScatteringDensity:
        UploadFloat(uniform, m_density);
        break;
    case kLightScatteringWeight:
        UploadFloat(uniform, m_weight);
        break;
    default:
        break;
    }
}
