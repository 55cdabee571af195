#include "System/StringUtilities/StringUtilities.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using namespace Morvane::StringUtilities;
using Pieces = std::vector<std::string>;

TEST(StringUtilities, SplitKeepsEveryPieceTrimmedEvenEmptyOnesAtBothEnds)
{
    EXPECT_EQ(Split("a; b;", ';'), (Pieces{"a", "b", ""}));
    EXPECT_EQ(Split(";a;;", ";"), (Pieces{"", "a", "", ""}));
    EXPECT_EQ(Split(" a ,   , b c ", ','), (Pieces{"a", "", "b c"}));
    EXPECT_EQ(Split("a::b", "::"), (Pieces{"a", "b"}));
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces("  a b "), "a b");
}

TEST(StringUtilities, ReplaceAllGoesOnAfterEachReplacementAndAnEmptySearchReplacesNothing)
{
    EXPECT_EQ(ReplaceAll("a-b-c", "-", "--"), "a--b--c");
    EXPECT_EQ(ReplaceAll("aa", "a", "ba"), "baba");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("abab", "ab", ""), "");
}
} // namespace
