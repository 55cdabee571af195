#include "Physics/RendererDebugDrawer.h"

#include "Graphics/GraphicsSystem.h"

namespace Morvane::Physics
{
void RendererDebugDrawer::Line(const glm::vec3& start, const glm::vec3& end, const glm::vec4& colour)
{
    Graphics::System::GetInstance().DrawDebugLine(start, end, colour);
}

void RendererDebugDrawer::Box(const glm::vec3& centre, const glm::vec3& size, const glm::vec4& colour)
{
    Graphics::System::GetInstance().DrawDebugBox(centre, size, colour);
}

void RendererDebugDrawer::Sphere(const glm::vec3& centre, float radius, const glm::vec4& colour)
{
    Graphics::System::GetInstance().DrawDebugSphere(centre, radius, colour);
}
} // namespace Morvane::Physics
