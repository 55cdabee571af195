#pragma once

#include "System/Pool/Pool.h"

#include <compare>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

namespace Morvane
{
// Owns every object pool of the process: one per pooled class and object size (a class derived
// from a pooled class has its own size, so its own pool). Safe to use from any thread.
class PoolRegistry
{
public:
    static PoolRegistry& GetInstance();

    // A zeroed block of `size` bytes from the pool of `type`, made on first use.
    void* Allocate(const std::type_info& type, std::size_t size);
    // Gives a block back to the pool it came from. A null block, one no pool of that class handed out,
    // or one already given back is an assertion and leaves the pools untouched.
    void Free(const std::type_info& type, void* block, std::size_t size);
    // Frees every page of every pool; no pooled object may be used, or deleted, afterwards.
    void ReleaseAll();

    std::size_t GetPoolCount() const;
    // Counters of the pool of `type` and `size`, if it exists.
    std::optional<PoolStatistics> GetStatistics(const std::type_info& type, std::size_t size) const;

private:
    using Key = std::pair<std::type_index, std::size_t>;
    struct Entry
    {
        const std::type_info* type = nullptr;
        std::unique_ptr<Pool> pool;
    };
    // Finding a pool by the address of its type's information is much cheaper than comparing type
    // names; the name decides only the first time an address is seen.
    struct FastEntry
    {
        const std::type_info* type = nullptr;
        std::size_t size = 0;
        Pool* pool = nullptr;

        auto operator<=>(const FastEntry& other) const
        {
            return std::tie(type, size) <=> std::tie(other.type, other.size);
        }
    };

    PoolRegistry() = default;
    // The pool of `type` and `size`, or null; with `create`, made when missing. Needs m_mutex held.
    Pool* Find(const std::type_info& type, std::size_t size, bool create);

    mutable std::mutex m_mutex;
    std::map<Key, Entry> m_pools;
    // Sorted by type address and size.
    std::vector<FastEntry> m_fastLookup;
    // The pool used last: objects of one class tend to come and go in runs.
    FastEntry m_lastUsed;
};
} // namespace Morvane
