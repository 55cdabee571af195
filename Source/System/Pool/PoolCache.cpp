#include "System/Pool/PoolCache.h"

#include <algorithm>

namespace Morvane
{
void PoolCache::Add(const std::type_info& type, std::size_t size, Pool* pool)
{
    const Entry entry{&type, size, pool};
    const auto position = std::lower_bound(m_entries.begin(), m_entries.end(), entry);
    if (position == m_entries.end() || (*position <=> entry) != 0)
    {
        m_entries.insert(position, entry);
    }
    m_lastUsed = entry;
}

Pool* PoolCache::FindSorted(const std::type_info& type, std::size_t size)
{
    const Entry wanted{&type, size, nullptr};
    const auto found = std::lower_bound(m_entries.begin(), m_entries.end(), wanted);
    if (found == m_entries.end() || (*found <=> wanted) != 0)
    {
        return nullptr;
    }
    m_lastUsed = *found;
    return m_lastUsed.pool;
}
} // namespace Morvane
