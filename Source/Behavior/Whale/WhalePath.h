#pragma once

#include <glm/vec3.hpp>
#include <vector>

// A smooth path through keyframes: the centripetal Catmull-Rom spline (alpha 0.5), which never forms a
// cusp or loops on itself within a segment however unevenly the keyframes are spaced.
class WhalePath
{
public:
    static constexpr int kSampleCount = 100;
    static constexpr unsigned kMinimumKeyframes = 4;

    // The curve through `keyframes` (at least kMinimumKeyframes, neighbours distinct), sampled at
    // kSampleCount points evenly in the curve's parameter. Open, it runs from the first keyframe to the
    // last, both included; closed, it returns from the last to the first and the samples do not repeat
    // the start.
    static std::vector<glm::vec3> Sample(const std::vector<glm::vec3>& keyframes, bool closed);

    // The point at `t` in [0, 1] of the segment from p1 to p2, p0 and p3 being their outer neighbours.
    static glm::vec3 Segment(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2,
                             const glm::vec3& p3, float t);
};
