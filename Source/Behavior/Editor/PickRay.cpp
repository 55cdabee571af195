#include "Behavior/Editor/PickRay.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <limits>

std::optional<float> PickRay::Hit(const glm::vec3& boxMin, const glm::vec3& boxMax) const
{
    float enter = 0.0f;
    float leave = kReach;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (std::abs(direction[axis]) < std::numeric_limits<float>::min())
        {
            // Parallel to this pair of faces: inside the slab or never.
            if (origin[axis] < boxMin[axis] || origin[axis] > boxMax[axis])
            {
                return std::nullopt;
            }
            continue;
        }
        const float inverse = 1.0f / direction[axis];
        float near = (boxMin[axis] - origin[axis]) * inverse;
        float far = (boxMax[axis] - origin[axis]) * inverse;
        if (near > far)
        {
            std::swap(near, far);
        }
        enter = std::max(enter, near);
        leave = std::min(leave, far);
        if (enter > leave)
        {
            return std::nullopt;
        }
    }
    return enter;
}

std::optional<float> PickRay::NearestOnLine(const glm::vec3& point, const glm::vec3& axis) const
{
    // The two lines' nearest points: solve for t on the axis line with the ray's s eliminated.
    const glm::vec3 between = point - origin;
    const float b = glm::dot(axis, direction);
    const float denominator = 1.0f - b * b;
    if (denominator < 1e-6f)
    {
        return std::nullopt;
    }
    const float d = glm::dot(axis, between);
    const float e = glm::dot(direction, between);
    return (b * e - d) / denominator;
}
