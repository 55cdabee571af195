#include "SpacePartitioning/CellRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Morvane::SpacePartitioning
{
std::int32_t CellRange::CellIndex(float value, float cellSize)
{
    const double coordinate = value;
    const double rounded = coordinate >= 0.0 ? std::trunc(coordinate + 0.5) : std::trunc(coordinate - 0.5);
    const double cell = std::trunc(rounded / static_cast<double>(cellSize));
    const double low = std::numeric_limits<std::int32_t>::min();
    const double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(cell, low, high));
}

CellRange CellRange::Cover(const glm::vec3& min, const glm::vec3& max, const glm::vec3& cellSize)
{
    CellRange range;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (std::isnan(min[axis]) || std::isnan(max[axis]))
        {
            return range;
        }
    }
    const auto index = [&](const glm::vec3& corner, int axis)
    { return CellIndex(corner[axis], cellSize[axis]); };
    range.low = {std::min(index(min, 0), index(max, 0)), std::min(index(min, 1), index(max, 1)),
                 std::min(index(min, 2), index(max, 2))};
    range.high = {std::max(index(min, 0), index(max, 0)), std::max(index(min, 1), index(max, 1)),
                  std::max(index(min, 2), index(max, 2))};
    range.empty = false;
    return range;
}

double CellRange::CellCount() const
{
    if (empty)
    {
        return 0.0;
    }
    const auto extent = [](std::int32_t from, std::int32_t to)
    { return static_cast<double>(std::int64_t{to} - std::int64_t{from} + 1); };
    return extent(low.x, high.x) * extent(low.y, high.y) * extent(low.z, high.z);
}

bool CellRange::Contains(const CellCoordinate& cell) const
{
    return !empty && cell.x >= low.x && cell.x <= high.x && cell.y >= low.y && cell.y <= high.y &&
           cell.z >= low.z && cell.z <= high.z;
}
} // namespace Morvane::SpacePartitioning
