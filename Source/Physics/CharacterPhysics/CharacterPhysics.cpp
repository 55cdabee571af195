#include "Physics/CharacterPhysics/CharacterPhysics.h"

#include "Component/TransformComponent.h"
#include "Physics/CharacterPhysics/SegmentBoxTest.h"
#include "Shape/AABB.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cfloat>
#include <cmath>
#include <glm/geometric.hpp>

using namespace Morvane;

namespace
{
float Clamped(float speed, float limit)
{
    return std::abs(speed) > limit ? std::copysign(limit, speed) : speed;
}
} // namespace

bool CharacterPhysics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Format("%s/CharacterPhysics", GetOwnerName().c_str()), "Base could not parse");
        return false;
    }
    return true;
}

void CharacterPhysics::AddForces(const float&)
{
    m_force += m_gravity * m_mass;
    m_previousPosition = m_targetTransform->GetPosition();
    m_stepStarted = true;
}

void CharacterPhysics::AdjustVelocity(const float& dt)
{
    m_velocity.x = Clamped(m_velocity.x, m_maxHorizontalSpeed);
    m_velocity.z = Clamped(m_velocity.z, m_maxHorizontalSpeed);
    m_velocity.y = Clamped(m_velocity.y, m_maxVerticalSpeed);
    m_velocity = m_carrierVelocity + (m_velocity - m_carrierVelocity) * (1.0f - m_damping * dt);
}

void CharacterPhysics::UpdateBounds()
{
    Component::UpdateBounds();
    if (m_stepStarted)
    {
        const glm::vec3 back = m_previousPosition - m_targetTransform->GetPosition();
        m_boundingVolume.Enclose(m_boundingVolume.GetMin() + back, m_boundingVolume.GetMax() + back);
    }
}

void CharacterPhysics::Collide(Physics::Component* other)
{
    Component::Collide(other);
    if (m_shape != nullptr && other->GetShape() != nullptr &&
        other->GetShape()->GetKind() == Physics::Shape::Kind::AABB)
    {
        Sweep(other);
    }
}

void CharacterPhysics::Sweep(Physics::Component* other)
{
    const glm::vec3 position = m_targetTransform->GetPosition();
    const glm::vec3 moved = position - m_previousPosition;
    if (!(glm::dot(moved, moved) > FLT_MIN))
    {
        return;
    }
    const auto* rhsAABB = dynamic_cast<const Physics::AABB*>(other->GetShape());
    MORVANE_ASSERT_NAMED(rhsAABB != nullptr, "rhsAABB", __LINE__);
    const std::optional<SegmentHit> hit =
        SweepSegmentAgainstBox(m_previousPosition, position, rhsAABB->GetMin(), rhsAABB->GetMax());
    if (!hit)
    {
        return;
    }
    Physics::Contact contact;
    contact.point = hit->point;
    contact.correction = moved / glm::length(moved);
    contact.depth = glm::length(moved * (1.0f - hit->fraction));
    RecordContact(other, contact);
}
