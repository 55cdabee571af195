#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Parsing/XMLParserData/XMLParserData.h"

#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using namespace ParserDataUtilities;

TEST(ParserDataVectors, WriteEachComponentWithSixDecimalsASpaceAndASemicolon)
{
    EXPECT_EQ(ToText(glm::vec3(1.0f, 2.5f, 0.0f)), "1.000000 ;2.500000 ;0.000000 ;");
    EXPECT_EQ(ToText(glm::vec2(-1.0f, 0.25f)), "-1.000000 ;0.250000 ;");
    EXPECT_EQ(ToText(glm::vec4(1.0f, 1.0f, 1.0f, 0.5f)), "1.000000 ;1.000000 ;1.000000 ;0.500000 ;");
}

TEST(ParserDataVectors, ReadPiecesInOrderMissingOnesAreZero)
{
    EXPECT_EQ(ToVec3("1;2"), glm::vec3(1.0f, 2.0f, 0.0f));
    EXPECT_EQ(ToVec3("1;2;3;4;5"), glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(ToVec3(""), glm::vec3(0.0f));
    EXPECT_EQ(ToVec3("abc;2;x"), glm::vec3(0.0f, 2.0f, 0.0f));
    EXPECT_EQ(ToVec2(" 0.5 ; -3"), glm::vec2(0.5f, -3.0f));
    EXPECT_EQ(ToVec4("1;1;1;1"), glm::vec4(1.0f));
    EXPECT_EQ(ToVec4(";;;7"), glm::vec4(0.0f, 0.0f, 0.0f, 7.0f));
}

TEST(ParserDataVectors, WrittenTextReadsBackAndLargeValuesFit)
{
    const glm::vec4 value(123.456f, -0.001f, 1e6f, 3.0e38f);
    const glm::vec4 read = ToVec4(ToText(value));
    EXPECT_NEAR(read.x, value.x, 1e-4f);
    EXPECT_NEAR(read.y, value.y, 1e-6f);
    EXPECT_EQ(read.z, value.z);
    EXPECT_FLOAT_EQ(read.w, value.w);
}

TEST(ParserDataVectors, AttributesUseTheDefaultOnlyWhenMissing)
{
    XMLParserData node("Object");
    EXPECT_EQ(GetAttributeVec3(node, "position", glm::vec3(1.0f)), glm::vec3(1.0f));
    SetAttributeVector(node, "position", glm::vec3(4.0f, 5.0f, 6.0f));
    EXPECT_EQ(node.GetAttribute("position", ""), "4.000000 ;5.000000 ;6.000000 ;");
    EXPECT_EQ(GetAttributeVec3(node, "position", glm::vec3(1.0f)), glm::vec3(4.0f, 5.0f, 6.0f));

    node.SetAttribute("colour", "");
    EXPECT_EQ(GetAttributeVec4(node, "colour", glm::vec4(1.0f)), glm::vec4(0.0f));
    SetAttributeVector(node, "size", glm::vec2(2.0f, 3.0f));
    EXPECT_EQ(GetAttributeVec2(node, "size", glm::vec2(0.0f)), glm::vec2(2.0f, 3.0f));
    SetAttributeVector(node, "tint", glm::vec4(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(GetAttributeVec4(node, "tint", glm::vec4(0.0f)), glm::vec4(0.1f, 0.2f, 0.3f, 0.4f));
}
} // namespace
} // namespace Morvane
