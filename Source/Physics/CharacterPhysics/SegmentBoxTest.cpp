#include "Physics/CharacterPhysics/SegmentBoxTest.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

std::optional<SegmentHit> SweepSegmentAgainstBox(const glm::vec3& start, const glm::vec3& end,
                                                 const glm::vec3& min, const glm::vec3& max)
{
    const glm::vec3 direction = end - start;
    float enter = 0.0f;
    float exit = FLT_MAX;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (std::abs(direction[axis]) >= FLT_MIN)
        {
            float near = (min[axis] - start[axis]) / direction[axis];
            float far = (max[axis] - start[axis]) / direction[axis];
            if (near > far)
            {
                std::swap(near, far);
            }
            enter = std::max(enter, near);
            exit = std::min(exit, far);
            if (enter > exit)
            {
                return std::nullopt;
            }
        }
        else if (start[axis] < min[axis] || start[axis] > max[axis])
        {
            return std::nullopt;
        }
    }
    if (enter > 1.0f)
    {
        return std::nullopt;
    }
    return SegmentHit{enter, start + direction * enter};
}
