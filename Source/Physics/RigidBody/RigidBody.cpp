#include "Physics/RigidBody/RigidBody.h"

#include "Component/TransformComponent.h"
#include "Shape/Shape.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/matrix.hpp>

using namespace Morvane;

namespace
{
constexpr float kDegreesPerRadian = 57.29578f;
constexpr float kRadiansPerDegree = 0.017453292f;
constexpr float kLightBodyMass = 50.0f;
constexpr float kLightBodyGravity = -1.8f;

bool IsFinite(const glm::mat3& matrix)
{
    for (int column = 0; column < 3; ++column)
    {
        for (int row = 0; row < 3; ++row)
        {
            if (!std::isfinite(matrix[column][row]))
            {
                return false;
            }
        }
    }
    return true;
}
} // namespace

bool RigidBody::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Format("%s/RigidBody", GetOwnerName().c_str()), "Base could not parse");
        return false;
    }
    m_inertia = glm::mat3(m_mass / 6.0f);
    // Mass 0 is immovable: no rotation either.
    m_inverseInertia = m_mass == 0.0f ? glm::mat3(0.0f) : glm::inverse(m_inertia);
    if (!IsFinite(m_inverseInertia))
    {
        return OutOfRange("mass");
    }
    // The velocity follows the momentum from the first step on.
    m_linearMomentum = m_velocity * m_mass;
    if (!std::isfinite(glm::dot(m_linearMomentum, m_linearMomentum)))
    {
        return OutOfRange("velocity");
    }
    return true;
}

glm::mat3 RigidBody::GetWorldInverseInertia() const
{
    const glm::mat3 rotation = glm::mat3_cast(m_targetTransform->GetRotation());
    return rotation * m_inverseInertia * glm::transpose(rotation);
}

void RigidBody::AddForces(const float&)
{
    if (m_mass < kLightBodyMass)
    {
        m_force.y += m_mass * kLightBodyGravity;
    }
}

void RigidBody::Integrate(const float& dt)
{
    MORVANE_ASSERT_NAMED(m_targetTransform != nullptr, "m_targetTransform", __LINE__);
    AddForces(dt);
    m_angularMomentum += m_torque * dt;
    m_linearMomentum += m_force * dt;
    m_velocity = m_inverseMass * m_linearMomentum;
    m_angularVelocity = GetWorldInverseInertia() * m_angularMomentum;
    m_force = glm::vec3(0.0f);
    m_torque = glm::vec3(0.0f);
    AdjustVelocity(dt);
    m_targetTransform->SetPosition(m_targetTransform->GetPosition() + m_velocity * dt);
    Turn(dt);
}

// Adds the step's rotation (degrees) to the orientation's angle-axis vector.
void RigidBody::Turn(const float& dt)
{
    const glm::quat rotation = m_targetTransform->GetRotation();
    // Rounding can put w just beyond 1, where acos has no value.
    const float w = std::clamp(rotation.w, -1.0f, 1.0f);
    const float angle = std::acos(w) * 2.0f * kDegreesPerRadian;
    const float sineSquared = 1.0f - w * w;
    const glm::vec3 axis = sineSquared > 0.0f
                               ? glm::vec3(rotation.x, rotation.y, rotation.z) / std::sqrt(sineSquared)
                               : glm::vec3(0.0f, 0.0f, 1.0f);
    const glm::vec3 turned = m_angularVelocity * dt + axis * angle;
    const float degrees = glm::length(turned);
    if (degrees != 0.0f && std::isfinite(degrees))
    {
        const float half = degrees * kRadiansPerDegree * 0.5f;
        const glm::vec3 imaginary = turned / degrees * std::sin(half);
        m_targetTransform->SetRotation(glm::quat(std::cos(half), imaginary.x, imaginary.y, imaginary.z));
    }
}

void RigidBody::ResolveContacts()
{
    MORVANE_ASSERT_NAMED(m_targetTransform != nullptr, "m_targetTransform", __LINE__);
    const glm::vec3 own = m_targetTransform->GetPosition();
    glm::vec3 position = own;
    // Box tests give no contact point: they push through the centres.
    const bool levers = m_shape != nullptr && m_shape->GetKind() == Physics::Shape::Kind::ConvexPolyhedra;
    const glm::mat3 ownInverseInertia = GetWorldInverseInertia();
    for (const Physics::Contact& contact : m_contacts)
    {
        const auto* other = dynamic_cast<const RigidBody*>(contact.other);
        // A partner that does not resolve contacts gives no direction to push along.
        if (other == nullptr || contact.correction == glm::vec3(0.0f))
        {
            continue;
        }
        position += contact.correction * contact.depth;
        const glm::vec3 normal = glm::normalize(contact.correction);
        const glm::vec3 ownArm = levers ? contact.point - own : glm::vec3(0.0f);
        const glm::vec3 otherArm =
            levers ? contact.point - other->m_targetTransform->GetPosition() : glm::vec3(0.0f);
        // The contact points' velocities; the angular velocities are in degrees per second.
        const glm::vec3 ownPoint = m_velocity + glm::cross(m_angularVelocity * kRadiansPerDegree, ownArm);
        const glm::vec3 otherPoint =
            other->m_velocity + glm::cross(other->m_angularVelocity * kRadiansPerDegree, otherArm);
        const float approach = glm::dot(otherPoint - ownPoint, normal);
        // Parting or resting points are left alone: an impulse would pull them together.
        if (!(approach < 0.0f))
        {
            continue;
        }
        const glm::vec3 ownTurn = glm::cross(ownArm, normal);
        const glm::vec3 otherTurn = glm::cross(otherArm, normal);
        const float resistance =
            m_inverseMass + other->m_inverseMass +
            kRadiansPerDegree * (glm::dot(ownTurn, ownInverseInertia * ownTurn) +
                                 glm::dot(otherTurn, other->GetWorldInverseInertia() * otherTurn));
        const float impulse = approach / resistance;
        m_linearMomentum += normal * impulse;
        m_angularMomentum += ownTurn * impulse;
    }
    m_targetTransform->SetPosition(position);
}
