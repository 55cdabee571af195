#pragma once

#include "Shape/Contact.h"

#include <cstdint>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

namespace Morvane
{
class IParserData;
}

namespace Morvane::Physics
{
class AABB;
class ConvexPolyhedra;
class DebugDrawer;

// A collision shape. Boxes collide only with boxes and polyhedra only with polyhedra; the owner picks
// the test by the other shape's kind. Contact tests store the normal in `Contact::correction` with the
// convention that, after the owner orients it by the depth's sign, it points toward the other body.
class Shape
{
public:
    enum class Kind : std::int32_t
    {
        AABB = 0,
        ConvexPolyhedra = 1
    };

    explicit Shape(Kind kind) : m_kind(kind) {}
    virtual ~Shape() = default;

    // Reads the shape's attributes from the "Physics" element.
    virtual bool Parse(const IParserData* data) = 0;
    // Writes the shape's attributes into the "Physics" element.
    virtual bool Save(IParserData* data) const = 0;
    // `supportMarker`, when given, receives a sphere at every support vertex of a convex contact.
    virtual bool CollideConvex(const ConvexPolyhedra* other, Contact* out, DebugDrawer* supportMarker) const;
    virtual bool CollideAABB(const AABB* other, Contact* out) const;
    virtual bool IntersectsConvex(const ConvexPolyhedra* other) const;
    virtual bool IntersectsAABB(const AABB* other) const;
    // Brings world-space data up to date from the owner's position and world matrix.
    virtual void Update(const glm::vec3& position, const glm::mat4& worldMatrix) = 0;
    virtual void DebugDraw(DebugDrawer& drawer, const glm::vec4& colour) const = 0;
    // The world-space box around the shape; false when the shape has no extent (empty or not finite).
    virtual bool GetWorldBounds(glm::vec3& min, glm::vec3& max) const = 0;

    Kind GetKind() const { return m_kind; }

private:
    const Kind m_kind;
};
} // namespace Morvane::Physics
