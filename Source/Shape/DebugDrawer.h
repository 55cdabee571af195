#pragma once

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

namespace Morvane::Physics
{
// Where shapes queue their debug geometry; the physics layer forwards it to the renderer.
class DebugDrawer
{
public:
    virtual ~DebugDrawer() = default;
    virtual void Line(const glm::vec3& start, const glm::vec3& end, const glm::vec4& colour) = 0;
    virtual void Box(const glm::vec3& centre, const glm::vec3& size, const glm::vec4& colour) = 0;
    virtual void Sphere(const glm::vec3& centre, float radius, const glm::vec4& colour) = 0;
};
} // namespace Morvane::Physics
