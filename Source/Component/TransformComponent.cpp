#define GLM_ENABLE_EXPERIMENTAL
#include "Component/TransformComponent.h"

#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/euler_angles.hpp>

namespace Morvane::Game
{
namespace
{
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29578f;
} // namespace

bool TransformComponent::Parse(const IParserData* data)
{
    Component::Parse(data);
    m_position = ParserDataUtilities::ToVec3(data->GetAttribute("position", "0;0;0"));
    m_scale = ParserDataUtilities::ToVec3(data->GetAttribute("scale", "1;1;1"));
    SetRotation(data->GetAttributeFloat("rotationDegrees", 0.0f),
                ParserDataUtilities::ToVec3(data->GetAttribute("rotationAxis", "0;0;1")));
    m_dirty = true;
    return true;
}

bool TransformComponent::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Transform");
    element->SetAttribute("position", ParserDataUtilities::ToText(m_position));
    element->SetAttribute("scale", ParserDataUtilities::ToText(m_scale));
    // Composed rotations drift slightly past unit length; acos of |w| > 1 would save "nan".
    const float w = std::clamp(m_rotation.w, -1.0f, 1.0f);
    const float sineSquared = 1.0f - w * w;
    const glm::vec3 axis = sineSquared > 0.0f
                               ? glm::vec3(m_rotation.x, m_rotation.y, m_rotation.z) / std::sqrt(sineSquared)
                               : glm::vec3(0.0f, 0.0f, 1.0f);
    element->SetAttribute("rotationAxis", ParserDataUtilities::ToText(axis));
    element->SetAttributeFloat("rotationDegrees", std::acos(w) * 2.0f * kRadiansToDegrees);
    return true;
}

void TransformComponent::Clone(Component* destination)
{
    auto* transform = dynamic_cast<TransformComponent*>(destination);
    if (transform == nullptr)
    {
        Log::Error(Format("%s/Transform", GetOwnerName().c_str()), "Tried to clone incorrect types");
        return;
    }
    transform->m_position = m_position;
    transform->m_scale = m_scale;
    transform->m_rotation = m_rotation;
    transform->m_dirty = true;
}

const glm::mat4& TransformComponent::GetWorldMatrix()
{
    if (m_dirty)
    {
        const glm::mat4 identity(1.0f);
        m_worldMatrix =
            glm::translate(identity, m_position) * glm::mat4_cast(m_rotation) * glm::scale(identity, m_scale);
        m_dirty = false;
    }
    return m_worldMatrix;
}

void TransformComponent::SetPosition(const glm::vec3& position)
{
    m_position = position;
    m_dirty = true;
}

void TransformComponent::SetScale(const glm::vec3& scale)
{
    m_scale = scale;
    m_dirty = true;
}

void TransformComponent::SetRotation(const glm::quat& rotation)
{
    m_rotation = rotation;
    m_dirty = true;
}

void TransformComponent::SetRotation(float degrees, const glm::vec3& axis)
{
    const float half = degrees * kDegreesToRadians * 0.5f;
    const glm::vec3 imaginary = axis * std::sin(half);
    m_rotation = glm::quat(std::cos(half), imaginary.x, imaginary.y, imaginary.z);
    m_dirty = true;
}

void TransformComponent::SetRotation(const glm::vec3& angles)
{
    m_rotation = glm::quat_cast(glm::mat3(glm::yawPitchRoll(angles.y, angles.x, angles.z)));
    m_dirty = true;
}
} // namespace Morvane::Game
