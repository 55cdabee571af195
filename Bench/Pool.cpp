// The object pools against new/delete, both in a steady state: the allocator keeps what is freed
// (no trimming back to the system, so neither side pays page faults again) and every pattern runs once
// before it is timed. Both sides hand out zero-filled objects, zeroed the same way: the pool fills its
// blocks with zeros itself, a heap object zeroes its payload in its constructor with the pool's own
// routine (for 512 bytes the compiler's inlined string instruction alone would cost more than the
// whole allocation).
#include "System/Pool/Pool.h"

#include "RatioReporter.h"
#include "System/Pool/Pooled.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cstddef>
#include <malloc.h>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;

// Objects of the sizes the engine pools most: parser-data nodes and components (64 bytes) and
// larger resources (512 bytes).
template <std::size_t Size> struct PooledObject : Pooled<PooledObject<Size>>
{
    std::array<std::byte, Size> payload;
};

template <std::size_t Size> struct HeapObject
{
    HeapObject() { Pool::Zero(payload.data(), Size); }
    std::array<std::byte, Size> payload;
};

// A window of live objects, replaced one at a time, as objects come and go in a running game.
constexpr std::size_t kLive = 64;
// Objects built, then all destroyed, as a level or a data file is.
constexpr std::size_t kBatch = 256;

template <class T> void Pairs(benchmark::State& state)
{
    std::array<T*, kLive> live{};
    for (T*& object : live)
    {
        object = new T;
    }
    std::size_t next = 0;
    for (auto _ : state)
    {
        delete live[next];
        live[next] = new T;
        benchmark::DoNotOptimize(live[next]);
        next = (next + 1) % kLive;
    }
    for (T* object : live)
    {
        delete object;
    }
}

// The order in which a batch is destroyed: as built, or shuffled (the same shuffle every run).
std::vector<std::size_t> FreeOrder(bool shuffled)
{
    std::vector<std::size_t> order(kBatch);
    std::iota(order.begin(), order.end(), 0);
    if (shuffled)
    {
        std::shuffle(order.begin(), order.end(), std::mt19937(1));
    }
    return order;
}

template <class T> void BuildAndFree(std::vector<T*>& objects, const std::vector<std::size_t>& order)
{
    for (T*& object : objects)
    {
        object = new T;
        benchmark::DoNotOptimize(object);
    }
    for (const std::size_t index : order)
    {
        delete objects[index];
    }
}

template <class T, bool Shuffled> void Batch(benchmark::State& state)
{
    const std::vector<std::size_t> order = FreeOrder(Shuffled);
    std::vector<T*> objects(kBatch);
    BuildAndFree(objects, order);
    for (auto _ : state)
    {
        BuildAndFree(objects, order);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kBatch));
}

template <std::size_t Size> void Register(std::vector<Benchmarks::Ratio>& ratios)
{
    const std::string size = std::to_string(Size) + " B";
    const auto add = [&](const std::string& pattern, auto heap, auto pool)
    {
        const std::string heapName = "NewDelete/" + std::to_string(Size) + "/" + pattern;
        const std::string poolName = "Pool/" + std::to_string(Size) + "/" + pattern;
        benchmark::RegisterBenchmark(heapName.c_str(), heap)->Threads(1)->Threads(2);
        benchmark::RegisterBenchmark(poolName.c_str(), pool)->Threads(1)->Threads(2);
        for (const int threads : {1, 2})
        {
            const std::string suffix = "/threads:" + std::to_string(threads);
            ratios.push_back({"pool vs new/delete, " + size + ", " + pattern + ", " +
                                  std::to_string(threads) + (threads == 1 ? " thread" : " threads"),
                              heapName + suffix, poolName + suffix});
        }
    };
    add("pairs", Pairs<HeapObject<Size>>, Pairs<PooledObject<Size>>);
    add("build then free in order", Batch<HeapObject<Size>, false>, Batch<PooledObject<Size>, false>);
    add("build then free shuffled", Batch<HeapObject<Size>, true>, Batch<PooledObject<Size>, true>);
}
} // namespace

int main(int argc, char** argv)
{
    // Keep freed memory in the process, as the pools do.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    std::vector<Benchmarks::Ratio> ratios;
    Register<64>(ratios);
    Register<512>(ratios);
    return Benchmarks::RunWithRatios(argc, argv, std::move(ratios));
}
