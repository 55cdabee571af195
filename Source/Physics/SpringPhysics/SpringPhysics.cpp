#include "Physics/SpringPhysics/SpringPhysics.h"

#include "Component/TransformComponent.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <glm/geometric.hpp>

using namespace Morvane;

bool SpringPhysics::Parse(const IParserData* data)
{
    if (!Component::Parse(data))
    {
        Log::Error(Format("%s/SpringPhysics", GetOwnerName().c_str()), "Base could not parse");
        return false;
    }
    return true;
}

bool SpringPhysics::Initialize()
{
    m_anchor = m_targetTransform->GetPosition();
    m_anchored = true;
    return true;
}

void SpringPhysics::AddForces(const float& dt)
{
    if (!m_anchored)
    {
        return;
    }
    const glm::vec3 offset = m_anchor - m_targetTransform->GetPosition();
    if (glm::dot(offset, offset) > 0.1f)
    {
        m_force += offset * StableStiffness(m_stiffness, dt);
    }
}

void SpringPhysics::AdjustVelocity(const float& dt)
{
    m_velocity *= 1.0f - m_damping * dt;
}
