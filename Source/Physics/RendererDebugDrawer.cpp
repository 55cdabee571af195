#include "Physics/RendererDebugDrawer.h"

namespace Morvane::Physics
{
// There is no renderer in this build yet: everything is dropped.
void RendererDebugDrawer::Line(const glm::vec3&, const glm::vec3&, const glm::vec4&) {}

void RendererDebugDrawer::Box(const glm::vec3&, const glm::vec3&, const glm::vec4&) {}

void RendererDebugDrawer::Sphere(const glm::vec3&, float, const glm::vec4&) {}
} // namespace Morvane::Physics
