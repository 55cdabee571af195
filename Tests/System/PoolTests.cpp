#include "Support/MessageBoxRecorder.h"
#include "System/Assert/Assertion.h"
#include "System/Pool/Pool.h"
#include "System/Pool/Pooled.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <latch>
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

PoolStatistics Statistics(const std::type_info& type, std::size_t size)
{
    return PoolRegistry::GetInstance().GetStatistics(type, size).value_or(PoolStatistics{});
}

TEST(PoolRegistry, FirstObjectMakesOnePageAndTheNinthLiveOneAddsASecond)
{
    EXPECT_FALSE(PoolRegistry::GetInstance().GetStatistics(typeid(Small), sizeof(Small)).has_value());
    std::set<Small*> objects;
    for (int index = 0; index < 9; ++index)
    {
        objects.insert(new Small);
        EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).pageCount, index < 8 ? 1u : 2u) << index;
    }
    EXPECT_EQ(objects.size(), 9u);
    for (Small* object : objects)
    {
        EXPECT_EQ(object->value, 7);
        delete object;
    }
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).inUse, 0u);
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).freeCount, 16u);
}

TEST(Pool, MostRecentlyFreedBlockComesBackZeroFilled)
{
    Pool pool(64);
    void* const first = pool.Allocate();
    void* const second = pool.Allocate();
    std::memset(first, 0xAB, 64);
    std::memset(second, 0xCD, 64);
    ASSERT_EQ(pool.Free(first), Pool::FreeResult::Freed);
    ASSERT_EQ(pool.Free(second), Pool::FreeResult::Freed);
    auto* const again = static_cast<unsigned char*>(pool.Allocate());
    EXPECT_EQ(again, second);
    EXPECT_TRUE(std::all_of(again, again + 64, [](unsigned char byte) { return byte == 0; }));
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

    const auto shown = boxes.GetBoxes();
    const char* const results[] = {"Null", "Foreign", "Foreign", "Foreign", "DoubleFree"};
    ASSERT_EQ(shown.size(), std::size(results));
    for (std::size_t index = 0; index < shown.size(); ++index)
    {
        const std::string condition =
            std::string("'result != Pool::FreeResult::") + results[index] + "' was false.";
        EXPECT_NE(shown[index].text.find(condition), std::string::npos) << shown[index].text;
    }
    // The free list still holds each free block once: the page's eight blocks are all distinct.
    std::set<void*> handedOut{live};
    for (int index = 0; index < 7; ++index)
    {
        handedOut.insert(registry.Allocate(typeid(Small), 64));
    }
    EXPECT_EQ(handedOut.size(), 8u);
    EXPECT_EQ(Statistics(typeid(Small), 64).pageCount, 1u);
}

TEST(PoolRegistry, DerivedClassHasItsOwnPoolAndReleaseAllEmptiesTheRegistry)
{
    delete new Small;
    Shape* const polygon = new Polygon;
    EXPECT_EQ(Statistics(typeid(Shape), sizeof(Polygon)).inUse, 1u);
    EXPECT_EQ(Statistics(typeid(Shape), sizeof(Shape)).inUse, 0u);
    delete polygon;
    EXPECT_EQ(PoolRegistry::GetInstance().GetPoolCount(), 2u);
    PoolRegistry::GetInstance().ReleaseAll();
    EXPECT_EQ(PoolRegistry::GetInstance().GetPoolCount(), 0u);
    delete new Small;
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).allocations, 1u);
}

// A pool that hid memory faults would be worse than none.
TEST(PoolRegistry, WritesPastABlockAndUsesAfterDeleteAreCaught)
{
#if defined(__SANITIZE_ADDRESS__)
    Small* const small = new Small;
    delete small;
    EXPECT_DEATH(static_cast<void>(*static_cast<volatile int*>(&small->value)), "use-after-poison");
#else
    // Without AddressSanitizer, which would stop the overflowing write itself, the guard word catches it.
    Pool pool(32);
    auto* const block = static_cast<unsigned char*>(pool.Allocate());
    block[32] = 1;
    EXPECT_EQ(pool.Free(block), Pool::FreeResult::GuardCorrupted);
#endif
}

// Allocates and frees in waves; returns how many of its objects another thread wrote into.
int Churn(int owner)
{
    int damaged = 0;
    std::vector<Small*> nodes;
    for (int round = 0; round < 50; ++round)
    {
        for (int index = 0; index < 200; ++index)
        {
            nodes.push_back(new Small);
            nodes.back()->value = owner;
        }
        for (std::size_t index = 0; index < nodes.size(); index += 2)
        {
            damaged += nodes[index]->value != owner ? 1 : 0;
            delete nodes[index];
            nodes[index] = nullptr;
        }
        std::erase(nodes, nullptr);
    }
    for (Small* node : nodes)
    {
        damaged += node->value != owner ? 1 : 0;
        delete node;
    }
    return damaged;
}

TEST(PoolRegistryThreaded, TwoThreadsAllocatingAndFreeingLoseNothing)
{
    int damagedFirst = -1;
    int damagedSecond = -1;
    std::thread first([&] { damagedFirst = Churn(1); });
    std::thread second([&] { damagedSecond = Churn(2); });
    first.join();
    second.join();

    EXPECT_EQ(damagedFirst, 0);
    EXPECT_EQ(damagedSecond, 0);
    const auto statistics = PoolRegistry::GetInstance().GetStatistics(typeid(Small), sizeof(Small));
    ASSERT_TRUE(statistics.has_value());
    EXPECT_EQ(statistics->inUse, 0u);
    EXPECT_EQ(statistics->allocations, 2u * 50u * 200u);
    EXPECT_EQ(statistics->freeCount, statistics->pageCount * 8u);
}

// Whether one recorded box is the assertion for `result`.
bool IsAssertionFor(const Testing::MessageBoxRecorder::Box& box, const std::string& result)
{
    return box.text.find("'result != Pool::FreeResult::" + result + "' was false.") != std::string::npos;
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
    EXPECT_EQ(Statistics(typeid(Small), 64).inUse, 7u);
    EXPECT_EQ(Statistics(typeid(Small), 64).freeCount, 1u);

    // Given back twice, whichever thread does it.
    std::thread([&] { EXPECT_THROW(registry.Free(typeid(Small), blocks[3], 64), AssertionFailure); }).join();
    EXPECT_THROW(registry.Free(typeid(Small), blocks[3], 64), AssertionFailure);
    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(IsAssertionFor(shown[0], "DoubleFree")) << shown[0].text;
    EXPECT_TRUE(IsAssertionFor(shown[1], "DoubleFree")) << shown[1].text;

    auto* const again = static_cast<unsigned char*>(registry.Allocate(typeid(Small), 64));
    EXPECT_EQ(again, blocks[3]);
    EXPECT_TRUE(std::all_of(again, again + 64, [](unsigned char byte) { return byte == 0; }));
    const PoolStatistics statistics = Statistics(typeid(Small), 64);
    EXPECT_EQ(statistics.pageCount, 1u);
    EXPECT_EQ(statistics.inUse, 8u);
    EXPECT_EQ(statistics.releases, 1u);
}

TEST(PoolRegistryThreaded, PoolsOfAThreadThatEndedKeepTheirBlocksForTheNextThread)
{
    // As in the game, the main thread has pools of its own before a loading thread comes and goes.
    delete new Polygon;
    std::vector<Small*> loaded;
    std::thread(
        [&]
        {
            for (int index = 0; index < 3; ++index)
            {
                loaded.push_back(new Small);
            }
        })
        .join();
    delete loaded[0];
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).inUse, 2u);

    // The next thread takes over the ended one's pool: its five free blocks and the one given back
    // fill the page before a second page is needed.
    std::vector<Small*> more;
    std::thread(
        [&]
        {
            for (int index = 0; index < 6; ++index)
            {
                more.push_back(new Small);
            }
        })
        .join();
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).pageCount, 1u);
    EXPECT_NE(std::find(more.begin(), more.end(), loaded[0]), more.end());
    for (Small* object : more)
    {
        delete object;
    }
    delete loaded[1];
    delete loaded[2];
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).inUse, 0u);
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

    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(IsAssertionFor(shown[0], "Foreign")) << shown[0].text;
    const PoolStatistics statistics = Statistics(typeid(Small), sizeof(Small));
    EXPECT_EQ(statistics.allocations, 1u);
    EXPECT_EQ(statistics.inUse, 0u);
}
} // namespace
