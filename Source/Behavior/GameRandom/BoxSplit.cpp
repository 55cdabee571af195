#include "Behavior/GameRandom/BoxSplit.h"

#include "Behavior/GameRandom/GameRandom.h"
#include "System/Assert/Assertion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <glm/common.hpp>

namespace
{
// A node of the cut tree, in the box's own frame (its minimum corner at the origin).
struct Cut
{
    glm::vec3 min;
    glm::vec3 max;
    std::array<int, 2> children{-1, -1};
};

glm::vec3 Sane(const glm::vec3& value)
{
    glm::vec3 result = value;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (!std::isfinite(result[axis]))
        {
            result[axis] = 0.0f;
        }
    }
    return result;
}
} // namespace

std::vector<BoxSplit::Box> BoxSplit::Split(const glm::vec3& centre, const glm::vec3& size, int count,
                                           const std::function<int()>& draw)
{
    count = std::max(count, 1);
    const glm::vec3 extent = glm::abs(Sane(size));
    const glm::vec3 minimum = Sane(centre) - extent * 0.5f;
    std::vector<Cut> tree{{glm::vec3(0.0f), extent}};
    tree.reserve(2 * static_cast<std::size_t>(count));
    for (int cut = 1; cut < count; ++cut)
    {
        int leaf = 0;
        while (tree[leaf].children[0] >= 0)
        {
            leaf = tree[leaf].children[draw() & 1];
        }
        const int axis = draw() % 3;
        const Cut parent = tree[leaf];
        const float e = parent.max[axis] - parent.min[axis];
        const float unit = static_cast<float>(draw()) / static_cast<float>(GameRandom::kMaximum);
        const float c = e * 0.2f + unit * (e * 0.8f - e * 0.2f);
        Cut low = parent;
        low.max[axis] -= e - c;
        low.children = {-1, -1};
        Cut high = parent;
        high.min[axis] += c;
        high.children = {-1, -1};
        tree[leaf].children = {static_cast<int>(tree.size()), static_cast<int>(tree.size()) + 1};
        tree.push_back(low);
        tree.push_back(high);
    }
    std::vector<Box> boxes;
    boxes.reserve(static_cast<std::size_t>(count));
    for (const Cut& node : tree)
    {
        if (node.children[0] < 0)
        {
            // Halved first: the sum of two huge bounds would overflow.
            boxes.push_back({minimum + node.min * 0.5f + node.max * 0.5f, node.max - node.min});
        }
    }
    MORVANE_ASSERT_NAMED(boxes.size() == static_cast<unsigned>(count), "leafs.size() == (unsigned)count",
                         __LINE__);
    return boxes;
}
