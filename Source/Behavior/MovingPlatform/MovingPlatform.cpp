#include "Behavior/MovingPlatform/MovingPlatform.h"

#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Physics/PhysicsComponent.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>

using namespace Morvane;

namespace
{
std::string ToText(const glm::vec3& value)
{
    return Format("%g;%g;%g", static_cast<double>(value.x), static_cast<double>(value.y),
                  static_cast<double>(value.z));
}

bool IsFinite(const glm::vec3& value)
{
    return std::isfinite(value.x) && std::isfinite(value.y) && std::isfinite(value.z);
}
} // namespace

bool MovingPlatform::Parse(const IParserData* data)
{
    const float speed = data->GetAttributeFloat("movementSpeed", 0.0f);
    const glm::vec3 a = ParserDataUtilities::ToVec3(data->GetAttribute("A", ""));
    const glm::vec3 b = ParserDataUtilities::ToVec3(data->GetAttribute("B", ""));
    SetPath(IsFinite(a) ? a : glm::vec3(0.0f), IsFinite(b) ? b : glm::vec3(0.0f),
            std::isfinite(speed) ? speed : 0.0f);
    return true;
}

void MovingPlatform::SetPath(const glm::vec3& a, const glm::vec3& b, float speed)
{
    m_a = a;
    m_b = b;
    m_movementSpeed = speed;
    const float distance = glm::length(a - b);
    m_midpoint = (a + b) * 0.5f;
    m_halfDistanceSquared = (distance * 0.5f) * (distance * 0.5f);
    m_direction = distance > 0.0f ? (a - b) / distance : glm::vec3(0.0f);
}

bool MovingPlatform::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_MovingPlatform");
    element->SetAttributeFloat("movementSpeed", m_movementSpeed);
    element->SetAttribute("A", ToText(m_a));
    element->SetAttribute("B", ToText(m_b));
    return true;
}

void MovingPlatform::Clone(Game::Component* destination)
{
    Component::Clone(destination);
    if (auto* copy = dynamic_cast<MovingPlatform*>(destination))
    {
        copy->SetPath(m_a, m_b, m_movementSpeed);
    }
}

bool MovingPlatform::Initialize()
{
    m_transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    m_body = GetParentObject()->GetComponent<Physics::Component>();
    m_sign = 1.0f;
    if (m_halfDistanceSquared == 0.0f)
    {
        Log::Warning(Format("%s/MovingPlatform", GetOwnerName().c_str()),
                     Format("A and B are both %s: the platform stays there", ToText(m_a).c_str()));
    }
    if (m_transform != nullptr)
    {
        m_transform->SetPosition(m_midpoint);
    }
    return m_transform != nullptr;
}

void MovingPlatform::Update(const float&)
{
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    MORVANE_ASSERT_NAMED(m_body != nullptr, "myPhysics", __LINE__);
    if (m_transform == nullptr || m_body == nullptr)
    {
        return;
    }
    if (m_halfDistanceSquared == 0.0f)
    {
        m_body->SetVelocity(glm::vec3(0.0f));
        return;
    }
    const glm::vec3 fromMidpoint = m_transform->GetPosition() - m_midpoint;
    const float d2 = glm::dot(fromMidpoint, fromMidpoint);
    if (d2 > m_halfDistanceSquared)
    {
        // Beyond an end it heads back for the midpoint, however long the frame was: flipping every
        // frame it stays out there would make it shudder.
        m_sign = glm::dot(fromMidpoint, m_direction) > 0.0f ? -1.0f : 1.0f;
    }
    const float factor = std::max(1.0f - d2 / m_halfDistanceSquared, kMinimumSpeedFactor);
    m_body->SetVelocity(m_direction * (m_movementSpeed * m_sign * factor));
}
