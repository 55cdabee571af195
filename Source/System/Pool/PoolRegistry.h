#pragma once

#include "System/Pool/Pool.h"

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <typeindex>
#include <typeinfo>
#include <utility>

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

    PoolRegistry() = default;

    mutable std::mutex m_mutex;
    std::map<Key, Entry> m_pools;
};
} // namespace Morvane
