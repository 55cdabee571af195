#pragma once

#include "Component/Component.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

namespace Morvane::Game
{
// Position, scale and rotation of an object. The world matrix is rebuilt lazily, the first time it is
// read after a change.
class TransformComponent : public Component
{
public:
    explicit TransformComponent(Object* parentObject) : Component(parentObject) {}

    // Reads "position", "scale", "rotationAxis" and "rotationDegrees".
    bool Parse(const IParserData* data) override;
    // Adds a "Transform" child to `data`.
    bool Save(IParserData* data) override;
    void Clone(Component* destination) override;

    // Translation × rotation × scale.
    const glm::mat4& GetWorldMatrix();
    bool IsDirty() const { return m_dirty; }

    const glm::vec3& GetPosition() const { return m_position; }
    const glm::vec3& GetScale() const { return m_scale; }
    const glm::quat& GetRotation() const { return m_rotation; }
    void SetPosition(const glm::vec3& position);
    void SetScale(const glm::vec3& scale);
    void SetRotation(const glm::quat& rotation);
    // Angle-axis rotation; the axis is used as given, not normalised.
    void SetRotation(float degrees, const glm::vec3& axis);
    // Radians: yaw about y, pitch about x, roll about z.
    void SetRotation(const glm::vec3& angles);

private:
    glm::vec3 m_position{0.0f};
    glm::vec3 m_scale{1.0f};
    glm::quat m_rotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    glm::mat4 m_worldMatrix{1.0f};
    bool m_dirty = true;
};
} // namespace Morvane::Game
