#include "Behavior/Looker/Looker.h"

#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

using namespace Morvane;

namespace
{
const glm::vec3 kUp(0.0f, 1.0f, 0.0f);
// Below this squared sine of the angle between the view line and up, lookAt has no sideways axis.
constexpr float kMinimumSideSquared = 1e-10f;
} // namespace

bool Looker::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_Looker");
    return true;
}

bool Looker::Initialize()
{
    m_transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    return m_transform != nullptr;
}

void Looker::SetWatched(Game::TransformComponent* watched)
{
    m_watched.Reset(watched);
    m_warnedLost = false;
}

glm::quat Looker::Facing(const glm::vec3& from, const glm::vec3& to, const glm::quat& previous)
{
    const glm::vec3 line = from - to;
    const float length = glm::length(line);
    if (!(length > 0.0f) || !std::isfinite(length))
    {
        return previous;
    }
    const glm::vec3 side = glm::cross(kUp, line / length);
    if (glm::dot(side, side) < kMinimumSideSquared)
    {
        return previous;
    }
    // The view from the watched point: its -z runs toward the Looker, so the inverse turns the Looker's
    // +z back toward the watched point.
    const glm::mat4 view = glm::lookAt(to, from, kUp);
    return glm::inverse(glm::quat_cast(glm::mat3(view)));
}

void Looker::Update(const float&)
{
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    if (!m_watched.IsSet())
    {
        return;
    }
    const Game::TransformComponent* watched = m_watched.Get();
    if (watched == nullptr)
    {
        if (!m_warnedLost)
        {
            Log::Warning(Format("%s/Looker", GetOwnerName().c_str()),
                         Format("The watched object '%s' is gone", m_watched.GetObjectName().c_str()));
            m_warnedLost = true;
        }
        return;
    }
    m_transform->SetRotation(
        Facing(m_transform->GetPosition(), watched->GetPosition(), m_transform->GetRotation()));
}
