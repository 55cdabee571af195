#include "System/Pool/PoolRegistry.h"

#include "Platform/TypeName.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

namespace Morvane
{
// Its destructor runs as the thread ends.
struct PoolThreadExit
{
    ~PoolThreadExit() { PoolRegistry::GetInstance().DetachThread(); }
    // Constructs the object, so that its destructor runs.
    void Arm() { armed = true; }
    bool armed = false;
};

namespace
{
thread_local PoolThreadExit t_exit;
} // namespace

PoolCache& PoolRegistry::GetThreadCache()
{
    if (t_thread.cache != nullptr && t_thread.generation == s_generation.load(std::memory_order_relaxed))
        [[likely]]
    {
        return *t_thread.cache;
    }
    return AttachThread();
}

PoolCache& PoolRegistry::AttachThread()
{
    PoolCache* cache = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_idleCaches.empty())
        {
            cache = m_idleCaches.back();
            m_idleCaches.pop_back();
        }
        else
        {
            cache = m_caches.emplace_back(std::make_unique<PoolCache>()).get();
        }
        t_thread.cache = cache;
        t_thread.generation = s_generation.load(std::memory_order_relaxed);
        t_thread.attachment = ++m_attachments;
    }
    if (!t_thread.exited)
    {
        t_exit.Arm();
    }
    return *cache;
}

void PoolRegistry::DetachThread()
{
    const std::lock_guard lock(m_mutex);
    // A cache from before the last ReleaseAll is gone already.
    if (t_thread.cache != nullptr && t_thread.generation == s_generation.load(std::memory_order_relaxed))
    {
        m_idleCaches.push_back(t_thread.cache);
    }
    t_thread = ThreadState{nullptr, 0, 0, true};
}

Pool* PoolRegistry::AddPool(PoolCache& cache, const std::type_info& type, std::size_t size)
{
    const std::lock_guard lock(m_mutex);
    Entry& entry = m_pools[Key(type, size)];
    if (entry.type == nullptr)
    {
        entry.type = &type;
    }
    Pool* pool = nullptr;
    for (const OwnedPool& owned : entry.pools)
    {
        if (owned.cache == &cache)
        {
            pool = owned.pool.get();
        }
    }
    if (pool == nullptr)
    {
        pool = entry.pools.emplace_back(OwnedPool{&cache, std::make_unique<Pool>(size)}).pool.get();
    }
    cache.Add(type, size, pool);
    return pool;
}

void* PoolRegistry::Allocate(const std::type_info& type, std::size_t size)
{
    PoolCache& cache = GetThreadCache();
    Pool* pool = cache.Find(type, size);
    if (pool == nullptr) [[unlikely]]
    {
        pool = AddPool(cache, type, size);
    }
    void* const block = pool->Take();
    Pool::Zero(block, size);
    return block;
}

Pool* PoolRegistry::FillSlot(ThreadSlot& slot, const std::type_info& type, std::size_t size)
{
    PoolCache& cache = GetThreadCache();
    Pool* pool = cache.Find(type, size);
    if (pool == nullptr)
    {
        pool = AddPool(cache, type, size);
    }
    slot = ThreadSlot{pool, size, t_thread.attachment};
    return pool;
}

void PoolRegistry::Free(const std::type_info& type, void* block, std::size_t size)
{
    Pool::FreeResult result = Pool::FreeResult::Null;
    if (block != nullptr)
    {
        // This thread's own pool tells its blocks apart by address alone, without a lock; only a block
        // it does not hold is looked for in other threads' pools.
        Pool* const own = GetThreadCache().Find(type, size);
        result = own != nullptr ? own->Free(block) : Pool::FreeResult::Foreign;
        if (result == Pool::FreeResult::Foreign) [[unlikely]]
        {
            result = FreeToAnotherPool(type, block, size, own);
        }
    }
    MORVANE_ASSERT(result != Pool::FreeResult::Null);
    MORVANE_ASSERT(result != Pool::FreeResult::Foreign);
    MORVANE_ASSERT(result != Pool::FreeResult::DoubleFree);
    MORVANE_ASSERT(result != Pool::FreeResult::GuardCorrupted);
}

Pool::FreeResult PoolRegistry::FreeToAnotherPool(const std::type_info& type, void* block, std::size_t size,
                                                 const Pool* own)
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_pools.find(Key(type, size));
    if (found == m_pools.end())
    {
        return Pool::FreeResult::Foreign;
    }
    // Each pool checks the address against its own pages before it reads anything at it.
    for (const OwnedPool& owned : found->second.pools)
    {
        if (owned.pool.get() == own)
        {
            continue;
        }
        const Pool::FreeResult result = owned.pool->FreeFromAnotherThread(block);
        if (result != Pool::FreeResult::Foreign)
        {
            return result;
        }
    }
    return Pool::FreeResult::Foreign;
}

void PoolRegistry::ReleaseAll()
{
    std::map<Key, Entry> released;
    std::vector<std::unique_ptr<PoolCache>> caches;
    {
        const std::lock_guard lock(m_mutex);
        s_generation.fetch_add(1, std::memory_order_relaxed);
        released.swap(m_pools);
        caches.swap(m_caches);
        m_idleCaches.clear();
    }
    for (const auto& [key, entry] : released)
    {
        std::size_t inUse = 0;
        for (const OwnedPool& owned : entry.pools)
        {
            inUse += owned.pool->GetStatistics().inUse;
        }
        if (inUse > 0)
        {
            Log::Warning("Pool",
                         Format("%zu objects of '%s' (%zu bytes) still alive when the pools were released",
                                inUse, Platform::GetTypeName(*entry.type).c_str(), key.second));
        }
    }
}

std::size_t PoolRegistry::GetPoolCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_pools.size();
}

std::optional<PoolStatistics> PoolRegistry::GetStatistics(const std::type_info& type, std::size_t size) const
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_pools.find(Key(type, size));
    if (found == m_pools.end())
    {
        return std::nullopt;
    }
    PoolStatistics total;
    for (const OwnedPool& owned : found->second.pools)
    {
        const PoolStatistics statistics = owned.pool->GetStatistics();
        total.pageCount += statistics.pageCount;
        total.freeCount += statistics.freeCount;
        total.inUse += statistics.inUse;
        total.allocations += statistics.allocations;
        total.releases += statistics.releases;
    }
    return total;
}
} // namespace Morvane
