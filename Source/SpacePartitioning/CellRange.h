#pragma once

#include <cstddef>
#include <cstdint>
#include <glm/vec3.hpp>

namespace Morvane::SpacePartitioning
{
struct CellCoordinate
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t z = 0;

    bool operator==(const CellCoordinate&) const = default;
};

struct CellCoordinateHash
{
    std::size_t operator()(const CellCoordinate& cell) const
    {
        return (static_cast<std::uint32_t>(cell.x) * 73856093u) ^
               (static_cast<std::uint32_t>(cell.y) * 19349663u) ^
               (static_cast<std::uint32_t>(cell.z) * 83492791u);
    }
};

// The block of cells a box covers, lowest and highest corner included.
struct CellRange
{
    CellCoordinate low;
    CellCoordinate high;
    // A box with a NaN corner covers no cell.
    bool empty = true;

    // Cell index of coordinate `value` on an axis of cell size `cellSize`: rounded to the nearest integer
    // (halves away from zero), divided by the size and truncated toward zero, so cell 0 is wider than the
    // others. Saturates at the int32 range.
    static std::int32_t CellIndex(float value, float cellSize);
    static CellRange Cover(const glm::vec3& min, const glm::vec3& max, const glm::vec3& cellSize);

    // How many cells the range holds (0 when empty); exact up to 2^53.
    double CellCount() const;
    bool Contains(const CellCoordinate& cell) const;
    bool operator==(const CellRange&) const = default;
};
} // namespace Morvane::SpacePartitioning
