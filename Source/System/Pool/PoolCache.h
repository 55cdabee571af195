#pragma once

#include "System/Pool/Pool.h"

#include <compare>
#include <cstddef>
#include <tuple>
#include <typeinfo>
#include <vector>

namespace Morvane
{
// The pools one thread owns, found by class and object size. Only that thread uses it, so finding a
// pool takes no lock; the pools themselves belong to the PoolRegistry.
class PoolCache
{
public:
    // This thread's pool for objects of `type` and `size`, or null when it has none yet.
    Pool* Find(const std::type_info& type, std::size_t size)
    {
        if (m_lastUsed.type == &type && m_lastUsed.size == size) [[likely]]
        {
            return m_lastUsed.pool;
        }
        return FindSorted(type, size);
    }
    void Add(const std::type_info& type, std::size_t size, Pool* pool);

private:
    // Finding a pool by the address of its type's information is much cheaper than comparing type
    // names; the registry compares names the first time an address is seen.
    struct Entry
    {
        const std::type_info* type = nullptr;
        std::size_t size = 0;
        Pool* pool = nullptr;

        auto operator<=>(const Entry& other) const
        {
            return std::tie(type, size) <=> std::tie(other.type, other.size);
        }
    };

    Pool* FindSorted(const std::type_info& type, std::size_t size);

    // Sorted by type address and size.
    std::vector<Entry> m_entries;
    // The pool used last: objects of one class tend to come and go in runs.
    Entry m_lastUsed;
};
} // namespace Morvane
