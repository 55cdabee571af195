#pragma once

#include "System/Pool/PoolRegistry.h"

#include <cstddef>
#include <typeinfo>

namespace Morvane
{
// Base of every class whose objects come from the object pools: `new` takes a zeroed block from the
// class's pool and `delete` gives it back. Classes derived from a pooled class share its name but get
// a pool of their own size (the sized delete of a virtual destructor reports the real size).
template <class T> class Pooled
{
public:
    static void* operator new(std::size_t size)
    {
        return PoolRegistry::GetInstance().Allocate(typeid(T), size);
    }
    static void operator delete(void* block, std::size_t size)
    {
        PoolRegistry::GetInstance().Free(typeid(T), block, size);
    }

protected:
    Pooled() = default;
    ~Pooled() = default;
};
} // namespace Morvane
