#include "Behavior/RotatingObject/RotatingObject.h"

#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"

#include <cmath>
#include <glm/gtc/quaternion.hpp>

using namespace Morvane;

namespace
{
constexpr float kRadiansPerDegree = 0.017453292f;
}

bool RotatingObject::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_RotatingObject");
    return true;
}

void RotatingObject::Update(const float& dt)
{
    auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    if (transform == nullptr)
    {
        return;
    }
    const glm::quat& rotation = transform->GetRotation();
    // atan2 keeps the small angles that acos(w) loses in floats (w rounds to 1 after a tiny step) and
    // goes on past a full turn.
    const float degrees =
        2.0f * std::atan2(rotation.z, rotation.w) / kRadiansPerDegree + dt * kDegreesPerSecond;
    const float half = degrees * kRadiansPerDegree * 0.5f;
    transform->SetRotation(glm::quat(std::cos(half), 0.0f, 0.0f, std::sin(half)));
}
