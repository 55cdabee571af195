#include "System/StringUtilities/StringUtilities.h"

#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using StringUtilities::ReplaceAll;
using StringUtilities::Split;
using Pieces = std::vector<std::string>;

TEST(StringUtilitiesSplit, TrimsSpacesAndKeepsEmptyPieces)
{
    EXPECT_EQ(Split("a; b;", ';'), (Pieces{"a", "b", ""}));
    EXPECT_EQ(Split("  Opaque ,Transparent  , ", ","), (Pieces{"Opaque", "Transparent", ""}));
    EXPECT_EQ(Split("", ';'), (Pieces{""}));
    EXPECT_EQ(Split(";;", ';'), (Pieces{"", "", ""}));
    EXPECT_EQ(Split("single", ';'), (Pieces{"single"}));
}

TEST(StringUtilitiesSplit, OnlySpacesAreTrimmed)
{
    EXPECT_EQ(Split("\ta ;\nb\n", ';'), (Pieces{"\ta", "\nb\n"}));
}

TEST(StringUtilitiesSplit, LongerSeparatorsAreSkippedWhole)
{
    EXPECT_EQ(Split("a::b:: c", "::"), (Pieces{"a", "b", "c"}));
    EXPECT_EQ(Split("a b", ""), (Pieces{"a b"}));
}

TEST(StringUtilitiesReplaceAll, ContinuesAfterEachReplacement)
{
    EXPECT_EQ(ReplaceAll("a\\b\\c", "\\", "/"), "a/b/c");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAll("xyzxyz", "xyz", ""), "");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("", "a", "b"), "");
}
} // namespace
} // namespace Morvane
