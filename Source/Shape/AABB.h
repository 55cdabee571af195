#pragma once

#include "Shape/Shape.h"

namespace Morvane::Physics
{
// An axis-aligned box of fixed size that follows its owner's position; rotation and scale are ignored.
class AABB : public Shape
{
public:
    AABB() : Shape(Kind::AABB) {}

    // Reads "size" (required; each component taken by its absolute value).
    bool Parse(const IParserData* data) override;
    // Writes "shape" and "size".
    bool Save(IParserData* data) const override;
    // Per-axis box test. The normal is -1 on the axis of least penetration; false when separated or
    // when no axis gives a finite depth.
    bool CollideAABB(const AABB* other, Contact* out) const override;
    // Touching faces overlap.
    bool IntersectsAABB(const AABB* other) const override;
    void Update(const glm::vec3& position, const glm::mat4& worldMatrix) override;
    void DebugDraw(DebugDrawer& drawer, const glm::vec4& colour) const override;
    bool GetWorldBounds(glm::vec3& min, glm::vec3& max) const override;

    // Negative components are taken by their absolute value (a mirrored transform scale).
    void SetHalfSize(const glm::vec3& halfSize);
    const glm::vec3& GetHalfSize() const { return m_halfSize; }
    const glm::vec3& GetMin() const { return m_min; }
    const glm::vec3& GetMax() const { return m_max; }

private:
    glm::vec3 m_min{0.0f};
    glm::vec3 m_max{0.0f};
    glm::vec3 m_halfSize{0.0f};
};
} // namespace Morvane::Physics
