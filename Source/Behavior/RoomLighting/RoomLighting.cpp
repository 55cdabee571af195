#include "Behavior/RoomLighting/RoomLighting.h"

#include "Behavior/GameLogic/RenderSettings.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Graphics/LightingDirectionalGraphics/LightingDirectionalGraphics.h"
#include "Graphics/LightingPointGraphics/LightingPointGraphics.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

using namespace Morvane;

namespace
{
// The first component of `Kind` on the object `name`; null when either is missing.
template <class Kind> Kind* FindLight(const std::string& name)
{
    const Game::Object* object = Game::System::GetInstance().GetObject(name);
    if (object == nullptr)
    {
        return nullptr;
    }
    for (Game::Component* component : object->GetComponents())
    {
        if (auto* light = dynamic_cast<Kind*>(component))
        {
            return light;
        }
    }
    return nullptr;
}
} // namespace

std::string RoomLighting::Channel() const
{
    return Format("%s/RoomLighting", GetOwnerName().c_str());
}

bool RoomLighting::Parse(const IParserData* data)
{
    m_sunName = data->GetAttribute("sun", "Sun");
    m_pointLightName = data->GetAttribute("pointLight", "Pointlight");
    m_fogColor = ParserDataUtilities::GetAttributeVec3(*data, "fog", glm::vec3(0.0f));
    m_fogAmount = data->GetAttributeFloat("fogAmount", 0.0f);
    m_ambientColor = ParserDataUtilities::GetAttributeVec3(*data, "ambient", glm::vec3(0.0f));
    m_attenuation = ParserDataUtilities::GetAttributeVec3(*data, "attenuation", glm::vec3(0.0f));
    return true;
}

bool RoomLighting::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_RoomLighting");
    element->SetAttribute("sun", m_sunName);
    element->SetAttribute("pointLight", m_pointLightName);
    ParserDataUtilities::SetAttributeVector(*element, "fog", m_fogColor);
    element->SetAttributeFloat("fogAmount", m_fogAmount);
    ParserDataUtilities::SetAttributeVector(*element, "ambient", m_ambientColor);
    ParserDataUtilities::SetAttributeVector(*element, "attenuation", m_attenuation);
    return true;
}

bool RoomLighting::Initialize()
{
    auto* sun = FindLight<LightingDirectionalGraphics>(m_sunName);
    if (sun == nullptr)
    {
        Log::Error(Channel(), Format("Could not get the directional light of '%s'", m_sunName.c_str()));
        return false;
    }
    auto* pointLight = FindLight<LightingPointGraphics>(m_pointLightName);
    if (pointLight == nullptr)
    {
        Log::Error(Channel(), Format("Could not get the point light of '%s'", m_pointLightName.c_str()));
        return false;
    }
    sun->SetFogColor(m_fogColor);
    sun->SetFogAmount(m_fogAmount);
    sun->SetAmbientColor(m_ambientColor);
    pointLight->SetAttenuation(m_attenuation);
    // The render controller hands these to the lights again whenever the display options change.
    RenderSettings& settings = RenderSettings::GetInstance();
    settings.fogColor = m_fogColor;
    settings.fogAmount = m_fogAmount;
    settings.ambientColor = m_ambientColor;
    settings.attenuation = m_attenuation;
    return true;
}
