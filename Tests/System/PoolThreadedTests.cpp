#include "System/Pool/Pooled.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace
{
using namespace Morvane;

struct Node : Pooled<Node>
{
    explicit Node(int ownerThread) : owner(ownerThread) {}
    int owner;
};

// Allocates and frees in waves, checking that no other thread ever wrote into its objects.
int Churn(int owner)
{
    int damaged = 0;
    std::vector<Node*> nodes;
    for (int round = 0; round < 50; ++round)
    {
        for (int index = 0; index < 200; ++index)
        {
            nodes.push_back(new Node(owner));
        }
        for (std::size_t index = 0; index < nodes.size(); index += 2)
        {
            damaged += nodes[index]->owner != owner ? 1 : 0;
            delete nodes[index];
            nodes[index] = nullptr;
        }
        std::erase(nodes, nullptr);
    }
    for (Node* node : nodes)
    {
        damaged += node->owner != owner ? 1 : 0;
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
    const auto statistics = PoolRegistry::GetInstance().GetStatistics(typeid(Node), sizeof(Node));
    ASSERT_TRUE(statistics.has_value());
    EXPECT_EQ(statistics->inUse, 0u);
    EXPECT_EQ(statistics->allocations, 2u * 50u * 200u);
    EXPECT_EQ(statistics->releases, statistics->allocations);
    EXPECT_EQ(statistics->freeCount, statistics->pageCount * 8u);
}
} // namespace
