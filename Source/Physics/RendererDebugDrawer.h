#pragma once

#include "Shape/DebugDrawer.h"

namespace Morvane::Physics
{
// Queues shapes' debug geometry in the renderer's debug lists; dropped while there is no renderer.
class RendererDebugDrawer : public DebugDrawer
{
public:
    void Line(const glm::vec3& start, const glm::vec3& end, const glm::vec4& colour) override;
    void Box(const glm::vec3& centre, const glm::vec3& size, const glm::vec4& colour) override;
    void Sphere(const glm::vec3& centre, float radius, const glm::vec4& colour) override;
};
} // namespace Morvane::Physics
