#pragma once

#include <glm/vec3.hpp>
#include <optional>

struct SegmentHit
{
    // Where along the segment it enters the box: 0 at its start, 1 at its end.
    float fraction = 0.0f;
    glm::vec3 point{0.0f};
};

// Slab test of the segment start → end against the box (min, max). A segment starting inside the box
// hits at fraction 0; one that ends before reaching the box misses.
std::optional<SegmentHit> SweepSegmentAgainstBox(const glm::vec3& start, const glm::vec3& end,
                                                 const glm::vec3& min, const glm::vec3& max);
