#include "Behavior/Whale/WhalePath.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>

namespace
{
// The knot step between two points: the square root of their distance (alpha = 0.5). A floor keeps
// the division sound where two points nearly meet.
float KnotStep(const glm::vec3& a, const glm::vec3& b)
{
    return std::max(std::sqrt(glm::length(b - a)), 1e-4f);
}

glm::vec3 Blend(const glm::vec3& a, const glm::vec3& b, float ta, float tb, float t)
{
    return a * ((tb - t) / (tb - ta)) + b * ((t - ta) / (tb - ta));
}
} // namespace

glm::vec3 WhalePath::Segment(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2,
                             const glm::vec3& p3, float t)
{
    // Barry and Goldman's pyramid over the knots t0 = 0 < t1 < t2 < t3.
    const float t1 = KnotStep(p0, p1);
    const float t2 = t1 + KnotStep(p1, p2);
    const float t3 = t2 + KnotStep(p2, p3);
    const float u = t1 + (t2 - t1) * t;
    const glm::vec3 a1 = Blend(p0, p1, 0.0f, t1, u);
    const glm::vec3 a2 = Blend(p1, p2, t1, t2, u);
    const glm::vec3 a3 = Blend(p2, p3, t2, t3, u);
    const glm::vec3 b1 = Blend(a1, a2, 0.0f, t2, u);
    const glm::vec3 b2 = Blend(a2, a3, t1, t3, u);
    return Blend(b1, b2, t1, t2, u);
}

std::vector<glm::vec3> WhalePath::Sample(const std::vector<glm::vec3>& keyframes, bool closed)
{
    const int count = static_cast<int>(keyframes.size());
    const int segments = closed ? count : count - 1;
    // An open curve's ends get a mirrored outer neighbour, so it starts and ends on its keyframes.
    const auto point = [&](int index)
    {
        if (closed)
        {
            return keyframes[static_cast<std::size_t>((index % count + count) % count)];
        }
        if (index < 0)
        {
            return keyframes[0] * 2.0f - keyframes[1];
        }
        if (index >= count)
        {
            return keyframes[static_cast<std::size_t>(count - 1)] * 2.0f -
                   keyframes[static_cast<std::size_t>(count - 2)];
        }
        return keyframes[static_cast<std::size_t>(index)];
    };
    std::vector<glm::vec3> path;
    path.reserve(kSampleCount);
    const int steps = closed ? kSampleCount : kSampleCount - 1;
    for (int sample = 0; sample < kSampleCount; ++sample)
    {
        const float position =
            static_cast<float>(segments) * static_cast<float>(sample) / static_cast<float>(steps);
        const int segment = std::min(static_cast<int>(position), segments - 1);
        const float t = position - static_cast<float>(segment);
        path.push_back(
            Segment(point(segment - 1), point(segment), point(segment + 1), point(segment + 2), t));
    }
    return path;
}
