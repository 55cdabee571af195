#include "System/Pool/PoolRegistry.h"

#include <cstdlib>

namespace Morvane
{
PoolRegistry& PoolRegistry::GetInstance()
{
    static PoolRegistry instance;
    return instance;
}

void* PoolRegistry::Allocate(const std::type_info&, std::size_t size)
{
    return std::calloc(1, size);
}

void PoolRegistry::Free(const std::type_info&, void* block, std::size_t)
{
    std::free(block);
}

void PoolRegistry::ReleaseAll() {}
} // namespace Morvane
