#include "Support/MessageBoxRecorder.h"
#include "System/Assert/Assertion.h"
#include "System/Pool/Pool.h"
#include "System/Pool/Pooled.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <gtest/gtest.h>
#include <latch>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{
using namespace Morvane;

struct Small : Pooled<Small>
{
    int value = 7;
};

struct Shape : Pooled<Shape>
{
    virtual ~Shape() = default;
};

struct Polygon : Shape
{
    double points[16] = {};
};

PoolStatistics Statistics(std::size_t size = sizeof(Small), const std::type_info& type = typeid(Small))
{
    return PoolRegistry::GetInstance().GetStatistics(type, size).value_or(PoolStatistics{});
}

// The recorded boxes are the pool's assertions for these results, in this order.
void ExpectFreeAssertions(const Testing::MessageBoxRecorder& boxes, const std::vector<std::string>& results)
{
    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), results.size());
    for (std::size_t index = 0; index < shown.size(); ++index)
    {
        EXPECT_NE(shown[index].text.find("'result != Pool::FreeResult::" + results[index] + "' was false."),
                  std::string::npos)
            << shown[index].text;
    }
}

TEST(PoolRegistry, FirstObjectMakesOnePageAndTheNinthLiveOneAddsASecond)
{
    EXPECT_FALSE(PoolRegistry::GetInstance().GetStatistics(typeid(Small), sizeof(Small)).has_value());
    std::set<Small*> objects;
    for (int index = 0; index < 9; ++index)
    {
        objects.insert(new Small);
        EXPECT_EQ(Statistics().pageCount, index < 8 ? 1u : 2u) << index;
    }
    EXPECT_EQ(objects.size(), 9u);
    for (Small* object : objects)
    {
        delete object;
    }
    EXPECT_EQ(Statistics().freeCount, 16u);
}

TEST(Pool, MostRecentlyFreedBlockComesBackFirst)
{
    Pool pool(64);
    void* const first = pool.Allocate();
    void* const second = pool.Allocate();
    ASSERT_EQ(pool.Free(first), Pool::FreeResult::Freed);
    ASSERT_EQ(pool.Free(second), Pool::FreeResult::Freed);
    EXPECT_EQ(pool.Allocate(), second);
    EXPECT_EQ(pool.Allocate(), first);
}

TEST(PoolRegistry, BadBlocksAreAssertionsAndLeaveThePoolIntact)
{
    Testing::MessageBoxRecorder boxes;
    PoolRegistry& registry = PoolRegistry::GetInstance();
    void* const block = registry.Allocate(typeid(Small), 64);
    void* const live = registry.Allocate(typeid(Small), 64);
    int notPooled = 0;
    EXPECT_THROW(registry.Free(typeid(Small), nullptr, 64), AssertionFailure);
    EXPECT_THROW(registry.Free(typeid(Small), &notPooled, 64), AssertionFailure);
    EXPECT_THROW(registry.Free(typeid(Small), static_cast<char*>(live) + 8, 64), AssertionFailure);
    // A block given back under another class belongs to no pool of that kind.
    EXPECT_THROW(registry.Free(typeid(Shape), block, 64), AssertionFailure);
    registry.Free(typeid(Small), block, 64);
    EXPECT_THROW(registry.Free(typeid(Small), block, 64), AssertionFailure);
    ExpectFreeAssertions(boxes, {"Null", "Foreign", "Foreign", "Foreign", "DoubleFree"});
    // The free list still holds each free block once: the page's eight blocks are all distinct.
    std::set<void*> handedOut{live};
    for (int index = 0; index < 7; ++index)
    {
        handedOut.insert(registry.Allocate(typeid(Small), 64));
    }
    EXPECT_EQ(handedOut.size(), 8u);
    EXPECT_EQ(Statistics(64).pageCount, 1u);
}

TEST(PoolRegistry, DerivedClassHasItsOwnPoolAndReleaseAllEmptiesTheRegistry)
{
    delete new Small;
    Shape* const polygon = new Polygon;
    EXPECT_EQ(Statistics(sizeof(Polygon), typeid(Shape)).inUse, 1u);
    delete polygon;
    EXPECT_EQ(PoolRegistry::GetInstance().GetPoolCount(), 2u);
    PoolRegistry::GetInstance().ReleaseAll();
    EXPECT_EQ(PoolRegistry::GetInstance().GetPoolCount(), 0u);
    delete new Small;
    EXPECT_EQ(Statistics().allocations, 1u);
}

// A pool that hid memory faults would be worse than none.
TEST(PoolRegistry, WritesPastABlockAndUsesAfterDeleteAreCaught)
{
#if defined(__SANITIZE_ADDRESS__)
    Small* const small = new Small;
    delete small;
    EXPECT_DEATH(static_cast<void>(*static_cast<volatile int*>(&small->value)), "use-after-poison");
#else
    // Without AddressSanitizer, which would stop the stray write itself, the guard words catch it: the
    // one before a block in every build, the one after it in debug builds.
    Pool pool(32);
    auto* const before = static_cast<unsigned char*>(pool.Allocate());
    before[-1] = 1;
    EXPECT_EQ(pool.Free(before), Pool::FreeResult::GuardCorrupted);
#if !defined(NDEBUG)
    auto* const after = static_cast<unsigned char*>(pool.Allocate());
    after[32] = 1;
    EXPECT_EQ(pool.Free(after), Pool::FreeResult::GuardCorrupted);
#endif
#endif
}

// Allocates and frees in waves; returns how many of its objects another thread wrote into.
int Churn(int owner)
{
    int damaged = 0;
    std::vector<Small*> nodes;
    for (int round = 0; round <= 50; ++round)
    {
        for (std::size_t index = 0; index < nodes.size(); index += round < 50 ? 2 : 1)
        {
            damaged += nodes[index]->value != owner ? 1 : 0;
            delete std::exchange(nodes[index], nullptr);
        }
        std::erase(nodes, nullptr);
        for (int index = 0; index < 200 && round < 50; ++index)
        {
            nodes.push_back(new Small);
            nodes.back()->value = owner;
        }
    }
    return damaged;
}

TEST(PoolRegistryThreaded, TwoThreadsAllocatingAndFreeingLoseNothing)
{
    int damaged[2] = {-1, -1};
    std::thread first([&] { damaged[0] = Churn(1); });
    std::thread second([&] { damaged[1] = Churn(2); });
    first.join();
    second.join();
    EXPECT_EQ(damaged[0] + damaged[1], 0);
    EXPECT_EQ(Statistics().inUse, 0u);
    EXPECT_EQ(Statistics().allocations, 2u * 50u * 200u);
}

TEST(PoolRegistryThreaded, BlockFreedOnAnotherThreadComesBackOnceTheOwnersFreeListRunsDry)
{
    Testing::MessageBoxRecorder boxes;
    PoolRegistry& registry = PoolRegistry::GetInstance();
    std::vector<void*> blocks;
    for (int index = 0; index < 8; ++index)
    {
        blocks.push_back(registry.Allocate(typeid(Small), 64));
    }
    std::memset(blocks[3], 0xAB, 64);
    std::thread([&] { registry.Free(typeid(Small), blocks[3], 64); }).join();
    EXPECT_EQ(Statistics(64).inUse, 7u);
    // Given back twice, whichever thread does it.
    std::thread([&] { EXPECT_THROW(registry.Free(typeid(Small), blocks[3], 64), AssertionFailure); }).join();
    EXPECT_THROW(registry.Free(typeid(Small), blocks[3], 64), AssertionFailure);
    ExpectFreeAssertions(boxes, {"DoubleFree", "DoubleFree"});

    const auto* const again = static_cast<const unsigned char*>(registry.Allocate(typeid(Small), 64));
    EXPECT_EQ(again, blocks[3]);
    EXPECT_EQ(std::count(again, again + 64, 0), 64);
    EXPECT_EQ(Statistics(64).pageCount, 1u);
    EXPECT_EQ(Statistics(64).inUse, 8u);
}

// One thread makes objects and keeps making them while another destroys them, as parsed data goes
// from the load thread to the main thread: every object arrives intact, and the blocks given back come
// round again instead of new pages.
TEST(PoolRegistryThreaded, ObjectsMadeOnOneThreadAndDestroyedOnAnotherComeBackIntact)
{
    constexpr int kObjects = 20000;
    constexpr std::size_t kInFlight = 16;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Small*> queue;
    bool done = false;
    // Objects the destroying thread found other than as their maker left them.
    int damaged = 0;
    std::thread consumer(
        [&]
        {
            int expected = 0;
            for (;;)
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return !queue.empty() || done; });
                if (queue.empty())
                {
                    return;
                }
                Small* const object = queue.front();
                queue.pop_front();
                changed.notify_all();
                lock.unlock();
                damaged += object->value != expected++ ? 1 : 0;
                delete object;
            }
        });
    std::thread producer(
        [&]
        {
            for (int index = 0; index < kObjects; ++index)
            {
                auto* const object = new Small;
                object->value = index;
                std::unique_lock lock(mutex);
                // A few objects in flight, as a load thread hands over one batch at a time.
                changed.wait(lock, [&] { return queue.size() < kInFlight; });
                queue.push_back(object);
                changed.notify_all();
            }
            const std::lock_guard lock(mutex);
            done = true;
            changed.notify_all();
        });
    producer.join();
    consumer.join();
    EXPECT_EQ(damaged, 0);
    EXPECT_EQ(Statistics().inUse, 0u);
    EXPECT_EQ(Statistics().allocations, static_cast<std::size_t>(kObjects));
    EXPECT_LE(Statistics().pageCount * Pool::kBlocksPerPage, 4 * kInFlight);
}

TEST(PoolRegistryThreaded, PoolsOfAThreadThatEndedKeepTheirBlocksForTheNextThread)
{
    const auto allocateOnAThread = [](int count)
    {
        std::vector<Small*> objects;
        std::thread([&] { std::generate_n(std::back_inserter(objects), count, [] { return new Small; }); })
            .join();
        return objects;
    };
    // As in the game, the main thread has pools of its own before a loading thread comes and goes.
    delete new Polygon;
    const std::vector<Small*> loaded = allocateOnAThread(3);
    delete loaded[0];
    EXPECT_EQ(Statistics().inUse, 2u);
    // The next thread takes over the ended one's pool: its five free blocks and the one given back
    // fill the page before a second page is needed.
    const std::vector<Small*> more = allocateOnAThread(6);
    EXPECT_EQ(Statistics().pageCount, 1u);
    EXPECT_NE(std::find(more.begin(), more.end(), loaded[0]), more.end());
    for (Small* object : {more[0], more[1], more[2], more[3], more[4], more[5], loaded[1], loaded[2]})
    {
        delete object;
    }
    EXPECT_EQ(Statistics().inUse, 0u);
}

TEST(PoolRegistryThreaded, ReleaseAllLeavesNoThreadWithItsOldPools)
{
    Testing::MessageBoxRecorder boxes;
    std::latch allocated(1);
    std::latch released(1);
    std::thread worker(
        [&]
        {
            Small* const stale = new Small;
            allocated.count_down();
            released.wait();
            EXPECT_THROW(PoolRegistry::GetInstance().Free(typeid(Small), stale, sizeof(Small)),
                         AssertionFailure);
            delete new Small;
        });
    allocated.wait();
    PoolRegistry::GetInstance().ReleaseAll();
    released.count_down();
    worker.join();
    ExpectFreeAssertions(boxes, {"Foreign"});
    EXPECT_EQ(Statistics().allocations, 1u);
}
} // namespace
