#pragma once

#include <cstddef>
#include <typeinfo>

namespace Morvane
{
// Owns every object pool of the process.
class PoolRegistry
{
public:
    static PoolRegistry& GetInstance();

    // A zeroed block of `size` bytes from the pool of `type`.
    void* Allocate(const std::type_info& type, std::size_t size);
    // Gives a block back to the pool it came from.
    void Free(const std::type_info& type, void* block, std::size_t size);
    // Frees every page of every pool; no pooled object may be used afterwards.
    void ReleaseAll();

private:
    PoolRegistry() = default;
};
} // namespace Morvane
