#include "System/Pool/PoolRegistry.h"

#include "Platform/TypeName.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>

namespace Morvane
{
PoolRegistry& PoolRegistry::GetInstance()
{
    static PoolRegistry instance;
    return instance;
}

Pool* PoolRegistry::Find(const std::type_info& type, std::size_t size, bool create)
{
    if (m_lastUsed.type == &type && m_lastUsed.size == size)
    {
        return m_lastUsed.pool;
    }
    const FastEntry wanted{&type, size, nullptr};
    auto fast = std::lower_bound(m_fastLookup.begin(), m_fastLookup.end(), wanted);
    if (fast == m_fastLookup.end() || (*fast <=> wanted) != 0)
    {
        const auto named = m_pools.find(Key(type, size));
        Pool* pool = nullptr;
        if (named != m_pools.end())
        {
            pool = named->second.pool.get();
        }
        else if (create)
        {
            Entry& entry = m_pools[Key(type, size)];
            entry = Entry{&type, std::make_unique<Pool>(size)};
            pool = entry.pool.get();
        }
        if (pool == nullptr)
        {
            return nullptr;
        }
        fast = m_fastLookup.insert(fast, FastEntry{&type, size, pool});
    }
    m_lastUsed = *fast;
    return m_lastUsed.pool;
}

void* PoolRegistry::Allocate(const std::type_info& type, std::size_t size)
{
    const std::lock_guard lock(m_mutex);
    return Find(type, size, true)->Allocate();
}

void PoolRegistry::Free(const std::type_info& type, void* block, std::size_t size)
{
    Pool::FreeResult result = Pool::FreeResult::Foreign;
    {
        const std::lock_guard lock(m_mutex);
        if (Pool* const pool = Find(type, size, false))
        {
            result = pool->Free(block);
        }
        else if (block == nullptr)
        {
            result = Pool::FreeResult::Null;
        }
    }
    MORVANE_ASSERT(result != Pool::FreeResult::Null);
    MORVANE_ASSERT(result != Pool::FreeResult::Foreign);
    MORVANE_ASSERT(result != Pool::FreeResult::DoubleFree);
    MORVANE_ASSERT(result != Pool::FreeResult::GuardCorrupted);
}

void PoolRegistry::ReleaseAll()
{
    std::map<Key, Entry> released;
    {
        const std::lock_guard lock(m_mutex);
        m_fastLookup.clear();
        m_lastUsed = FastEntry{};
        released.swap(m_pools);
    }
    for (const auto& [key, entry] : released)
    {
        const std::size_t inUse = entry.pool->GetStatistics().inUse;
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
    return found->second.pool->GetStatistics();
}
} // namespace Morvane
