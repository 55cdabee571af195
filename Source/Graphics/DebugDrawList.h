#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace Morvane::Graphics
{
// A fixed list of debug shapes for one frame: entries beyond its capacity are dropped without a word,
// and nothing is allocated after construction.
template <class Entry, std::size_t Capacity> class DebugDrawList
{
public:
    void Add(const Entry& entry)
    {
        if (m_count < Capacity)
        {
            m_entries[m_count++] = entry;
        }
    }
    void Clear() { m_count = 0; }
    std::span<const Entry> Entries() const { return {m_entries.data(), m_count}; }

private:
    std::array<Entry, Capacity> m_entries{};
    std::size_t m_count = 0;
};
} // namespace Morvane::Graphics
