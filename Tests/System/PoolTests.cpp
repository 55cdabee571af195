#include "Parsing/FileParser/FileParser.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/MessageBoxRecorder.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"
#include "System/Pool/Pool.h"
#include "System/Pool/Pooled.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace
{
using namespace Morvane;

bool IsZeroFilled(const void* block, std::size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(block);
    return std::all_of(bytes, bytes + size, [](unsigned char byte) { return byte == 0; });
}

TEST(Pool, FirstPageHoldsEightBlocksAndTheNinthAddsAPage)
{
    Pool pool(40);
    std::vector<void*> blocks;
    for (int index = 0; index < 8; ++index)
    {
        blocks.push_back(pool.Allocate());
    }
    EXPECT_EQ(pool.GetStatistics().pageCount, 1u);
    EXPECT_EQ(pool.GetStatistics().freeCount, 0u);

    blocks.push_back(pool.Allocate());
    EXPECT_EQ(pool.GetStatistics().pageCount, 2u);
    EXPECT_EQ(pool.GetStatistics().freeCount, 7u);
    EXPECT_EQ(pool.GetStatistics().inUse, 9u);
    EXPECT_EQ(std::set<void*>(blocks.begin(), blocks.end()).size(), 9u);
    for (void* block : blocks)
    {
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % Pool::kAlignment, 0u);
        EXPECT_EQ(pool.Free(block), Pool::FreeResult::Freed);
    }
    EXPECT_EQ(pool.GetStatistics().allocations, 9u);
    EXPECT_EQ(pool.GetStatistics().releases, 9u);
    EXPECT_EQ(pool.GetStatistics().inUse, 0u);
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

    void* const again = pool.Allocate();
    EXPECT_EQ(again, second);
    EXPECT_TRUE(IsZeroFilled(again, 64));
    EXPECT_EQ(pool.Allocate(), first);
}

TEST(Pool, RefusesNullForeignAndDoubleFreedBlocksWithoutHarm)
{
    Pool pool(32);
    Pool other(32);
    void* const block = pool.Allocate();
    void* const live = pool.Allocate();
    void* const elsewhere = other.Allocate();
    int onTheStack = 0;

    EXPECT_EQ(pool.Free(nullptr), Pool::FreeResult::Null);
    EXPECT_EQ(pool.Free(elsewhere), Pool::FreeResult::Foreign);
    EXPECT_EQ(pool.Free(&onTheStack), Pool::FreeResult::Foreign);
    EXPECT_EQ(pool.Free(static_cast<char*>(live) + 8), Pool::FreeResult::Foreign);
    ASSERT_EQ(pool.Free(block), Pool::FreeResult::Freed);
    EXPECT_EQ(pool.Free(block), Pool::FreeResult::DoubleFree);

    // The free list still holds each free block once: the page's eight blocks are all distinct.
    EXPECT_EQ(pool.GetStatistics().freeCount, 7u);
    std::set<void*> handedOut{live};
    for (int index = 0; index < 7; ++index)
    {
        handedOut.insert(pool.Allocate());
    }
    EXPECT_EQ(handedOut.size(), 8u);
    EXPECT_EQ(pool.GetStatistics().pageCount, 1u);
}

TEST(Pool, WritePastABlockIsCaughtOnFree)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer stops the overflowing write itself";
#else
    Pool pool(32);
    auto* const block = static_cast<unsigned char*>(pool.Allocate());
    block[32] = 1;
    EXPECT_EQ(pool.Free(block), Pool::FreeResult::GuardCorrupted);
    EXPECT_EQ(pool.GetStatistics().inUse, 1u);
#endif
}

struct Small : Pooled<Small>
{
    int value = 7;
};

struct Shape : Pooled<Shape>
{
    virtual ~Shape() = default;
    int corners = 0;
};

struct Polygon : Shape
{
    double points[16] = {};
};

class PoolRegistryTest : public ::testing::Test
{
protected:
    void TearDown() override { PoolRegistry::GetInstance().ReleaseAll(); }

    static PoolStatistics Statistics(const std::type_info& type, std::size_t size)
    {
        return PoolRegistry::GetInstance().GetStatistics(type, size).value_or(PoolStatistics{});
    }
};

TEST_F(PoolRegistryTest, FirstObjectMakesThePoolAndTheNinthLiveOneAddsAPage)
{
    EXPECT_FALSE(PoolRegistry::GetInstance().GetStatistics(typeid(Small), sizeof(Small)).has_value());
    std::vector<Small*> objects{new Small};
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).pageCount, 1u);
    EXPECT_EQ(objects[0]->value, 7);
    for (int index = 1; index < 9; ++index)
    {
        objects.push_back(new Small);
    }
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).pageCount, 2u);
    for (Small* object : objects)
    {
        delete object;
    }
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).inUse, 0u);
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).releases, 9u);
}

TEST_F(PoolRegistryTest, FreedBlockIsHandedOutAgainZeroFilled)
{
    PoolRegistry& registry = PoolRegistry::GetInstance();
    void* const block = registry.Allocate(typeid(Small), 64);
    std::memset(block, 0x5A, 64);
    registry.Free(typeid(Small), block, 64);

    void* const again = registry.Allocate(typeid(Small), 64);
    EXPECT_EQ(again, block);
    EXPECT_TRUE(IsZeroFilled(again, 64));
    registry.Free(typeid(Small), again, 64);
}

TEST_F(PoolRegistryTest, DerivedClassHasItsOwnPool)
{
    Shape* const polygon = new Polygon;
    Shape* const shape = new Shape;

    EXPECT_EQ(Statistics(typeid(Shape), sizeof(Polygon)).inUse, 1u);
    EXPECT_EQ(Statistics(typeid(Shape), sizeof(Shape)).inUse, 1u);
    delete polygon;
    delete shape;
    EXPECT_EQ(Statistics(typeid(Shape), sizeof(Polygon)).releases, 1u);
    EXPECT_EQ(Statistics(typeid(Shape), sizeof(Shape)).releases, 1u);
}

TEST_F(PoolRegistryTest, ReleaseAllEmptiesTheRegistryAndLaterObjectsStartAfresh)
{
    delete new Small;
    delete new Shape;
    EXPECT_EQ(PoolRegistry::GetInstance().GetPoolCount(), 2u);

    PoolRegistry::GetInstance().ReleaseAll();
    EXPECT_EQ(PoolRegistry::GetInstance().GetPoolCount(), 0u);

    Small* const small = new Small;
    EXPECT_EQ(PoolRegistry::GetInstance().GetPoolCount(), 1u);
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).pageCount, 1u);
    EXPECT_EQ(Statistics(typeid(Small), sizeof(Small)).allocations, 1u);
    delete small;
}

TEST_F(PoolRegistryTest, BadBlocksAreAssertionsAndLeaveThePoolIntact)
{
    Testing::MessageBoxRecorder boxes;
    PoolRegistry& registry = PoolRegistry::GetInstance();
    void* const block = registry.Allocate(typeid(Small), sizeof(Small));
    int notPooled = 0;

    EXPECT_THROW(registry.Free(typeid(Small), nullptr, sizeof(Small)), AssertionFailure);
    EXPECT_THROW(registry.Free(typeid(Small), &notPooled, sizeof(Small)), AssertionFailure);
    // A block given back under another class or size belongs to no pool of that kind.
    EXPECT_THROW(registry.Free(typeid(Shape), block, sizeof(Small)), AssertionFailure);
    registry.Free(typeid(Small), block, sizeof(Small));
    EXPECT_THROW(registry.Free(typeid(Small), block, sizeof(Small)), AssertionFailure);

    const auto shown = boxes.GetBoxes();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_NE(shown[0].text.find("'result != Pool::FreeResult::Null' was false."), std::string::npos);
    EXPECT_NE(shown[1].text.find("'result != Pool::FreeResult::Foreign' was false."), std::string::npos);
    EXPECT_NE(shown[2].text.find("'result != Pool::FreeResult::Foreign' was false."), std::string::npos);
    EXPECT_NE(shown[3].text.find("'result != Pool::FreeResult::DoubleFree' was false."), std::string::npos);
    const PoolStatistics statistics = Statistics(typeid(Small), sizeof(Small));
    EXPECT_EQ(statistics.inUse, 0u);
    EXPECT_EQ(statistics.releases, 1u);
    EXPECT_EQ(statistics.freeCount, 8u);
}

TEST_F(PoolRegistryTest, UseOfADeletedObjectIsSeenByAddressSanitizer)
{
#if defined(__SANITIZE_ADDRESS__)
    Small* const small = new Small;
    delete small;
    EXPECT_DEATH(static_cast<void>(*static_cast<volatile int*>(&small->value)), "use-after-poison");
#else
    GTEST_SKIP() << "only AddressSanitizer builds poison freed blocks";
#endif
}

TEST_F(PoolRegistryTest, ParserDataNodesComeFromTheirPool)
{
    const Testing::TempDirectory folder;
    const std::string path = folder.Write("Tree.xml", "<Root><A/><B><C/></B></Root>");
    {
        FileParser parser;
        ASSERT_NE(parser.Parse(path), nullptr);
        EXPECT_EQ(Statistics(typeid(XMLParserData), sizeof(XMLParserData)).inUse, 4u);
    }
    EXPECT_EQ(Statistics(typeid(XMLParserData), sizeof(XMLParserData)).inUse, 0u);
}
} // namespace
