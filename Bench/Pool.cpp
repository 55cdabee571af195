#include "System/Pool/Pool.h"

#include "System/Pool/Pooled.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstddef>
#include <mutex>
#include <new>

namespace
{
using namespace Morvane;

// Objects of the sizes the engine pools most: parser-data nodes and components (64 bytes) and
// larger resources (512 bytes).
template <std::size_t Size> struct Pooled64Or512 : Pooled<Pooled64Or512<Size>>
{
    std::array<std::byte, Size> payload;
};

template <std::size_t Size> struct Heap
{
    std::array<std::byte, Size> payload;
};

struct NoLock
{
    void lock() {}
    void unlock() {}
};

// A window of live objects, replaced one at a time, as objects come and go in a running game.
constexpr std::size_t kLive = 64;

template <class T> void NewDelete(benchmark::State& state)
{
    std::array<T*, kLive> live{};
    for (T*& object : live)
    {
        object = new T();
    }
    std::size_t next = 0;
    for (auto _ : state)
    {
        delete live[next];
        live[next] = new T();
        benchmark::DoNotOptimize(live[next]);
        next = (next + 1) % kLive;
    }
    for (T* object : live)
    {
        delete object;
    }
}

// A pool on its own, as the registry uses it on the owning thread but without the lookup of the
// thread's pool: the object's construction included. With a lock, it shows what one lock per call costs.
template <std::size_t Size, class Lock> void PoolAlone(benchmark::State& state)
{
    Pool pool(Size);
    Lock lock;
    std::array<void*, kLive> live{};
    for (void*& block : live)
    {
        block = pool.Allocate();
    }
    std::size_t next = 0;
    for (auto _ : state)
    {
        static_cast<Heap<Size>*>(live[next])->~Heap<Size>();
        {
            const std::lock_guard guard(lock);
            pool.Free(live[next]);
        }
        {
            const std::lock_guard guard(lock);
            live[next] = new (pool.Allocate()) Heap<Size>();
        }
        benchmark::DoNotOptimize(live[next]);
        next = (next + 1) % kLive;
    }
    for (void* block : live)
    {
        pool.Free(block);
    }
}

// The registry through Pooled<T>'s new and delete: each thread finds its own pools without a lock.
BENCHMARK_TEMPLATE(NewDelete, Pooled64Or512<64>)->Threads(1)->Threads(2);
BENCHMARK_TEMPLATE(NewDelete, Heap<64>)->Threads(1)->Threads(2);
BENCHMARK_TEMPLATE(NewDelete, Pooled64Or512<512>)->Threads(1)->Threads(2);
BENCHMARK_TEMPLATE(NewDelete, Heap<512>)->Threads(1)->Threads(2);
// A pool on its own, without the registry's lookup, with and without a lock.
BENCHMARK_TEMPLATE(PoolAlone, 64, NoLock);
BENCHMARK_TEMPLATE(PoolAlone, 64, std::mutex);
BENCHMARK_TEMPLATE(PoolAlone, 512, NoLock);
BENCHMARK_TEMPLATE(PoolAlone, 512, std::mutex);
} // namespace
