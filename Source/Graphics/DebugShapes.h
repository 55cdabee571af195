#pragma once

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

namespace Morvane::Graphics
{
struct DebugLine
{
    glm::vec3 start{0.0f};
    glm::vec3 end{0.0f};
    glm::vec4 colour{1.0f};
};

// `size` is the full extent along each axis.
struct DebugBox
{
    glm::vec3 centre{0.0f};
    glm::vec3 size{1.0f};
    glm::vec4 colour{1.0f};
};

struct DebugSphere
{
    glm::vec3 centre{0.0f};
    glm::vec4 colour{1.0f};
    float radius = 1.0f;
};
} // namespace Morvane::Graphics
