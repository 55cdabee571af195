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
        static_assert(alignof(T) <= Pool::kAlignment, "pool blocks are not aligned for this class");
        return PoolRegistry::Allocate(Slot(), typeid(T), size);
    }

    // A block the pools do not hold as live is an assertion; as delete cannot throw, that ends in
    // std::terminate, which the crash guard reports.
    static void operator delete(void* block, std::size_t size)
    {
        if (block == nullptr)
        {
            return;
        }
        PoolRegistry::Free(Slot(), typeid(T), block, size);
    }

protected:
    Pooled() = default;
    ~Pooled() = default;

private:
    static PoolRegistry::ThreadSlot& Slot()
    {
        static thread_local PoolRegistry::ThreadSlot slot;
        return slot;
    }
};
} // namespace Morvane
