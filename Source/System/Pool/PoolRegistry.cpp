#include "System/Pool/PoolRegistry.h"

#include "Platform/TypeName.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

namespace Morvane
{
PoolRegistry& PoolRegistry::GetInstance()
{
    static PoolRegistry instance;
    return instance;
}

void* PoolRegistry::Allocate(const std::type_info& type, std::size_t size)
{
    const std::lock_guard lock(m_mutex);
    Entry& entry = m_pools[Key(type, size)];
    if (!entry.pool)
    {
        entry = Entry{&type, std::make_unique<Pool>(size)};
    }
    return entry.pool->Allocate();
}

void PoolRegistry::Free(const std::type_info& type, void* block, std::size_t size)
{
    Pool::FreeResult result = Pool::FreeResult::Foreign;
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_pools.find(Key(type, size));
        if (found != m_pools.end())
        {
            result = found->second.pool->Free(block);
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
        released.swap(m_pools);
    }
    for (const auto& [key, entry] : released)
    {
        const std::size_t inUse = entry.pool->GetStatistics().inUse;
        if (inUse > 0)
        {
            Log::Warning("Pool", Format("%zu objects of '%s' (%zu bytes) still alive when the pools were released",
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
