#include "Behavior/FloatingObject/FloatingObject.h"

#include "Behavior/GameRandom/GameRandom.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"

#include <cmath>
#include <glm/gtc/quaternion.hpp>

using namespace Morvane;

namespace
{
std::string ToText(const glm::vec3& value)
{
    return Format("%g;%g;%g", static_cast<double>(value.x), static_cast<double>(value.y),
                  static_cast<double>(value.z));
}

// A value that is not finite would make the object vanish into NaN: keep the one before.
glm::vec3 ReadFinite(const IParserData& data, const char* name, const glm::vec3& current)
{
    const glm::vec3 value = ParserDataUtilities::GetAttributeVec3(data, name, current);
    return std::isfinite(value.x) && std::isfinite(value.y) && std::isfinite(value.z) ? value : current;
}
} // namespace

FloatingObject::FloatingObject(Game::Object* owner) : Component(owner)
{
    // The z draw comes first, as it always has.
    const float z = GameRandom::Unit() + 0.8f;
    m_phase = glm::vec3(GameRandom::Unit() - 1.5f, 0.0f, z);
}

bool FloatingObject::Parse(const IParserData* data)
{
    m_pivot = ReadFinite(*data, "pivot", m_pivot);
    m_frequency = ReadFinite(*data, "frecuency", m_frequency);
    m_amplitude = ReadFinite(*data, "amplitude", m_amplitude);
    m_rotationSpeed = ReadFinite(*data, "rotationSpeed", m_rotationSpeed);
    return true;
}

bool FloatingObject::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_FloatingObject");
    element->SetAttribute("pivot", ToText(m_pivot));
    element->SetAttribute("frecuency", ToText(m_frequency));
    element->SetAttribute("amplitude", ToText(m_amplitude));
    element->SetAttribute("rotationSpeed", ToText(m_rotationSpeed));
    return true;
}

void FloatingObject::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* copy = dynamic_cast<FloatingObject*>(destination))
    {
        // The phase stays the copy's own, so clones do not move in step.
        copy->m_pivot = m_pivot;
        copy->m_frequency = m_frequency;
        copy->m_amplitude = m_amplitude;
        copy->m_rotationSpeed = m_rotationSpeed;
    }
}

bool FloatingObject::Initialize()
{
    m_transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    return m_transform != nullptr;
}

void FloatingObject::Update(const float& dt)
{
    if (m_transform == nullptr)
    {
        return;
    }
    m_phase += m_frequency * dt;
    const glm::vec3 offset(m_amplitude.x * m_frequency.x * std::sin(m_phase.x) * std::cos(m_phase.y),
                           m_amplitude.y * m_frequency.y * std::cos(m_phase.y),
                           m_amplitude.z * m_frequency.z * std::cos(m_phase.z));
    m_transform->SetPosition(m_pivot + offset);
    if (m_rotationSpeed != glm::vec3(0.0f))
    {
        // glm halves the angles itself: these are twice the wobble's half-angles.
        const glm::vec3 angles = m_rotationSpeed * std::sin(m_phase.x) * dt;
        m_transform->SetRotation(m_transform->GetRotation() * glm::quat(angles));
    }
}
