#include "Analytics/Identity.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <vector>

namespace Morvane::GameAnalytics
{
namespace
{
std::vector<int> Draws(int count)
{
    std::vector<int> draws;
    for (int draw = 0; draw < count; ++draw)
    {
        draws.push_back(std::rand());
    }
    return draws;
}

// A replay seeds rand() before the game starts; making the player's identity on the way must not
// reseed it (libuuid seeds and draws from the same generator the first time a process asks it for a
// time-based id and no uuidd runs, so this is the first id this test program makes).
TEST(Identity, MakingTheUserIdLeavesASeededRandSequenceAsItWas)
{
    std::srand(7);
    const std::vector<int> expected = Draws(8);
    std::srand(7);
    const std::vector<int> before = Draws(3);
    const std::string id = MakeUserId();
    const std::vector<int> after = Draws(5);
    EXPECT_TRUE(std::regex_match(id, std::regex("([0-9A-F]{2}:){5}[0-9A-F]{2}"))) << id;
    std::vector<int> drawn = before;
    drawn.insert(drawn.end(), after.begin(), after.end());
    EXPECT_EQ(drawn, expected);
}
} // namespace
} // namespace Morvane::GameAnalytics
