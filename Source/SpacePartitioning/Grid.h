#pragma once

#include "SpacePartitioning/AABB.h"
#include "SpacePartitioning/CellRange.h"
#include "SpacePartitioning/IBoundingVolumeContainer.h"
#include "System/Assert/Assertion.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace Morvane::SpacePartitioning
{
// A uniform grid of box cells keyed by integer coordinates. A volume is listed in every cell it covers;
// one that would cover more than kMaxCellsPerVolume cells (a huge or far-flung box) is kept in an
// overflow list that every query returns instead. Nothing here depends on the map's iteration order.
template <class T> class Grid : public IBoundingVolumeContainer<T>
{
public:
    using Volume = IBoundingVolume<T>;
    using VolumePair = std::pair<Volume*, Volume*>;
    using Cells = std::unordered_map<CellCoordinate, std::vector<Volume*>, CellCoordinateHash>;
    static constexpr double kMaxCellsPerVolume = 4096.0;

    explicit Grid(const glm::vec3& cellSize) : m_cellSize(cellSize)
    {
        MORVANE_ASSERT_NAMED(cellSize.x > 0.0f && cellSize.y > 0.0f && cellSize.z > 0.0f, "cellSize > 0",
                             __LINE__);
    }

    bool Initialize() override { return true; }

    // Every volume listed in a cell the query box covers, plus the overflow list. A small query enters
    // the cells it covers into the map (empty ones show in debug drawing); a large one scans the occupied
    // cells instead. There is no exact overlap test: the caller's narrow phase decides.
    std::vector<Volume*> Query(const Volume* volume) override
    {
        const CellRange range = CoverOf(volume);
        std::vector<Volume*> found;
        if (range.CellCount() <= kMaxCellsPerVolume)
        {
            ForEachCell(range,
                        [&](const CellCoordinate& cell)
                        {
                            const std::vector<Volume*>& listed = m_cells[cell];
                            found.insert(found.end(), listed.begin(), listed.end());
                        });
        }
        else
        {
            for (const auto& [cell, listed] : m_cells)
            {
                if (range.Contains(cell))
                {
                    found.insert(found.end(), listed.begin(), listed.end());
                }
            }
        }
        found.insert(found.end(), m_overflow.begin(), m_overflow.end());
        SortUnique(found);
        return found;
    }

    // Pairs (a, b) with a's key <= b's, a volume paired with itself included; overflow volumes pair with
    // every volume.
    std::vector<VolumePair> GetPotentialPairs() const override
    {
        std::vector<VolumePair> pairs;
        std::vector<Volume*> everyVolume(m_overflow.begin(), m_overflow.end());
        for (const auto& [cell, listed] : m_cells)
        {
            everyVolume.insert(everyVolume.end(), listed.begin(), listed.end());
            for (std::size_t i = 0; i < listed.size(); ++i)
            {
                for (std::size_t j = i; j < listed.size(); ++j)
                {
                    pairs.push_back(Ordered(listed[i], listed[j]));
                }
            }
        }
        SortUnique(everyVolume);
        for (Volume* big : m_overflow)
        {
            for (Volume* other : everyVolume)
            {
                pairs.push_back(Ordered(big, other));
            }
        }
        std::sort(pairs.begin(), pairs.end(),
                  [](const VolumePair& a, const VolumePair& b) {
                      return std::pair(Key(a.first), Key(a.second)) < std::pair(Key(b.first), Key(b.second));
                  });
        pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
        return pairs;
    }

    // Lists `volume` anew when the cells it covers differ from those `previous` covered.
    void Update(Volume* volume, const Volume& previous) override
    {
        if (CoverOf(volume) != CoverOf(&previous))
        {
            Remove(volume);
            Insert(volume);
        }
    }

    void Insert(Volume* volume) override
    {
        const CellRange range = CoverOf(volume);
        m_entries[volume].push_back(range);
        if (range.CellCount() > kMaxCellsPerVolume)
        {
            m_overflow.push_back(volume);
            return;
        }
        ForEachCell(range, [&](const CellCoordinate& cell) { m_cells[cell].push_back(volume); });
    }

    // Undoes the earliest Insert of `volume` still in place: one listing leaves each cell it was entered
    // in then, wherever the volume is now. Emptied cells stay in the map.
    void Remove(Volume* volume) override
    {
        const auto entry = m_entries.find(volume);
        if (entry == m_entries.end())
        {
            return;
        }
        const CellRange range = entry->second.front();
        entry->second.erase(entry->second.begin());
        if (entry->second.empty())
        {
            m_entries.erase(entry);
        }
        if (range.CellCount() > kMaxCellsPerVolume)
        {
            EraseFirst(m_overflow, volume);
            return;
        }
        ForEachCell(range,
                    [&](const CellCoordinate& cell)
                    {
                        if (const auto found = m_cells.find(cell); found != m_cells.end())
                        {
                            EraseFirst(found->second, volume);
                        }
                    });
    }

    void Clear() override
    {
        m_cells.clear();
        m_overflow.clear();
        m_entries.clear();
    }

    const Cells& GetCells() const { return m_cells; }
    const std::vector<Volume*>& GetOverflow() const { return m_overflow; }
    const glm::vec3& GetCellSize() const { return m_cellSize; }

private:
    CellRange CoverOf(const Volume* volume) const
    {
        const auto* aabb = dynamic_cast<const AABB<T>*>(volume);
        MORVANE_ASSERT_NAMED(aabb != nullptr, "aabb", __LINE__);
        return CellRange::Cover(aabb->GetMin(), aabb->GetMax(), m_cellSize);
    }

    // x outermost, then y, then z.
    template <class Visit> static void ForEachCell(const CellRange& range, Visit visit)
    {
        if (range.empty)
        {
            return;
        }
        for (std::int64_t x = range.low.x; x <= range.high.x; ++x)
        {
            for (std::int64_t y = range.low.y; y <= range.high.y; ++y)
            {
                for (std::int64_t z = range.low.z; z <= range.high.z; ++z)
                {
                    visit(CellCoordinate{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                                         static_cast<std::int32_t>(z)});
                }
            }
        }
    }

    static std::uint64_t Key(const Volume* volume) { return volume->GetOrderKey(); }

    static VolumePair Ordered(Volume* a, Volume* b)
    {
        return Key(b) < Key(a) ? VolumePair(b, a) : VolumePair(a, b);
    }

    // By order key; the pointer only tells apart listings of one volume, which share their key.
    static void SortUnique(std::vector<Volume*>& volumes)
    {
        std::sort(volumes.begin(), volumes.end(),
                  [](const Volume* a, const Volume* b)
                  { return Key(a) != Key(b) ? Key(a) < Key(b) : std::less<const Volume*>()(a, b); });
        volumes.erase(std::unique(volumes.begin(), volumes.end()), volumes.end());
    }

    static void EraseFirst(std::vector<Volume*>& volumes, const Volume* volume)
    {
        const auto found = std::find(volumes.begin(), volumes.end(), volume);
        if (found != volumes.end())
        {
            volumes.erase(found);
        }
    }

    Cells m_cells;
    std::vector<Volume*> m_overflow;
    // The cells each volume was entered in, one range per Insert still in place (looked up by
    // pointer only, never walked, so results do not depend on addresses).
    std::unordered_map<const Volume*, std::vector<CellRange>> m_entries;
    const glm::vec3 m_cellSize;
};
} // namespace Morvane::SpacePartitioning
