#include "Physics/CreatureBodyPhysics/CreatureBodyPhysics.h"

#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

using namespace Morvane;

bool CreatureBodyPhysics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Format("%s/CreatureBodyPhysics", GetOwnerName().c_str()), "Base could not parse");
        return false;
    }
    SetAttachedToTransform(nullptr);
    return true;
}

void CreatureBodyPhysics::SetAttachedToTransform(Game::TransformComponent* transform)
{
    m_attachedToTransform = transform != nullptr ? transform : m_targetTransform;
    m_attached.Reset(m_attachedToTransform);
}

bool CreatureBodyPhysics::TargetAlive() const
{
    return m_attachedToTransform == m_targetTransform || m_attached.Get() != nullptr;
}

void CreatureBodyPhysics::AddForces(const float& dt)
{
    MORVANE_ASSERT_NAMED(m_attachedToTransform != nullptr, "m_attachedToTransform", __LINE__);
    if (!TargetAlive())
    {
        SetAttachedToTransform(nullptr);
        m_velocity = glm::vec3(0.0f);
        return;
    }
    Game::TransformComponent& followed = *m_attachedToTransform;
    const glm::vec3 target =
        followed.GetPosition() + glm::vec3(followed.GetWorldMatrix() * glm::vec4(m_offset, 0.0f));
    const glm::vec3 offset = target - m_targetTransform->GetPosition();
    if (glm::dot(offset, offset) > 0.1f)
    {
        m_force += offset * StableStiffness(m_stiffness, dt);
    }
    TurnToward(followed, dt);
}

// Spherical interpolation toward the followed rotation by 2 × dt, the short way round.
void CreatureBodyPhysics::TurnToward(const Game::TransformComponent& followed, float dt)
{
    const glm::quat own = m_targetTransform->GetRotation();
    glm::quat goal = followed.GetRotation();
    const float t = 2.0f * dt;
    float cosine = glm::dot(own, goal);
    if (cosine < 0.0f)
    {
        goal = -goal;
        cosine = -cosine;
    }
    if (cosine > 1.0f - FLT_EPSILON)
    {
        m_targetTransform->SetRotation(own + (goal - own) * t);
        return;
    }
    const float angle = std::acos(cosine);
    m_targetTransform->SetRotation((own * std::sin((1.0f - t) * angle) + goal * std::sin(t * angle)) /
                                   std::sin(angle));
}

void CreatureBodyPhysics::AdjustVelocity(const float& dt)
{
    m_velocity *= 1.0f - m_damping * dt;
}
