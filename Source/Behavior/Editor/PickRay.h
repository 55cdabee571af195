#pragma once

#include <glm/vec3.hpp>
#include <optional>

// A ray from the eye through the cursor, for picking boxes and dragging along an axis.
struct PickRay
{
    // How far picking reaches.
    static constexpr float kReach = 5000.0f;

    glm::vec3 origin{0.0f};
    glm::vec3 direction{0.0f, 0.0f, -1.0f};

    // The distance along the ray to where it enters the box (0 from inside it), or nothing when it
    // misses or the box lies beyond `kReach`.
    std::optional<float> Hit(const glm::vec3& boxMin, const glm::vec3& boxMax) const;
    // The parameter t of the point on the line `point` + t × `axis` (unit) nearest to the ray, or
    // nothing when the line runs along the ray.
    std::optional<float> NearestOnLine(const glm::vec3& point, const glm::vec3& axis) const;
};
