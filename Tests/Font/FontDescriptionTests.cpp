#include "Font/FontDescription.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"

#include <gtest/gtest.h>
#include <string>

namespace Morvane::Graphics
{
namespace
{
using Testing::ContainsWrapped;
using Testing::LogCapture;
using Testing::ParseXml;

const char* const kCommon = R"(<common lineHeight="32" base="25" scaleW="256" scaleH="128"/>)";
const char* const kPages = R"(<pages><page id="0" file="a_0.png"/><page id="1" file="a_1.png"/></pages>)";
const char* const kChars = R"(<chars count="2">
    <char id="65" x="0" y="0" width="20" height="24" xoffset="1" yoffset="5" xadvance="22" page="0"/>
    <char id="86" x="64" y="32" width="19.5" height="24" xoffset="-1" yoffset="5" xadvance="21" page="1"/>
</chars>)";
const char* const kKernings = R"(<kernings><kerning first="65" second="86" amount="-3"/></kernings>)";

struct Reading
{
    FontDescription description{"Font 'Test'"};
    bool read = false;
    std::string log;
};

Reading Read(const std::string& children)
{
    Reading reading;
    const auto root = ParseXml("<font><info face=\"Test\"/>" + children + "</font>");
    LogCapture capture;
    reading.read = reading.description.Read(*root);
    reading.log = capture.Text();
    return reading;
}

TEST(FontDescription, GlyphsAreNormalisedByPageSizeBaseAndLineHeight)
{
    const Reading reading = Read(std::string(kCommon) + kPages + kChars + kKernings);
    ASSERT_TRUE(reading.read) << reading.log;
    EXPECT_EQ(reading.log, "");
    const FontMetrics& metrics = reading.description.GetMetrics();
    EXPECT_EQ(metrics.scaleWidth, 256);
    EXPECT_EQ(metrics.scaleHeight, 128);
    EXPECT_EQ(metrics.lineHeight, 32);
    EXPECT_EQ(metrics.base, 25);
    EXPECT_EQ(reading.description.GetPageFiles(), (std::vector<std::string>{"a_0.png", "a_1.png"}));

    const auto& characters = reading.description.GetCharacters();
    ASSERT_EQ(characters.size(), 2u);
    const FontCharacter& a = characters.at(65);
    // The top-left glyph of a page starts at texture coordinates (0, 1): texture rows run bottom-up.
    EXPECT_FLOAT_EQ(a.u, 0.0f);
    EXPECT_FLOAT_EQ(a.v, 1.0f);
    EXPECT_FLOAT_EQ(a.width, 20.0f / 25.0f);
    EXPECT_FLOAT_EQ(a.height, 24.0f / 32.0f);
    EXPECT_FLOAT_EQ(a.xOffset, 1.0f / 25.0f);
    EXPECT_FLOAT_EQ(a.yOffset, 5.0f / 32.0f);
    EXPECT_FLOAT_EQ(a.xAdvance, 22.0f / 25.0f);
    EXPECT_EQ(a.page, 0);
    ASSERT_EQ(a.kernings.size(), 1u);
    EXPECT_FLOAT_EQ(a.kernings.at(86), -3.0f / 256.0f);

    const FontCharacter& v = characters.at(86);
    EXPECT_FLOAT_EQ(v.u, 0.25f);
    EXPECT_FLOAT_EQ(v.v, 0.75f);
    EXPECT_FLOAT_EQ(v.width, 19.5f / 25.0f);
    EXPECT_FLOAT_EQ(v.xOffset, -1.0f / 25.0f);
    EXPECT_EQ(v.page, 1);
    EXPECT_TRUE(v.kernings.empty());
}

// Exports write "common" first, but the numbers must not depend on it: read after the characters it
// would leave every division by zero.
TEST(FontDescription, SectionsInAnyOrderReadTheSame)
{
    const Reading usual = Read(std::string(kCommon) + kPages + kChars + kKernings);
    const Reading reversed = Read(std::string(kKernings) + kChars + kPages + kCommon);
    ASSERT_TRUE(reversed.read) << reversed.log;
    EXPECT_EQ(reversed.log, "");
    ASSERT_EQ(reversed.description.GetCharacters().size(), usual.description.GetCharacters().size());
    for (const auto& [code, expected] : usual.description.GetCharacters())
    {
        const FontCharacter& actual = reversed.description.GetCharacters().at(code);
        EXPECT_EQ(actual.u, expected.u) << code;
        EXPECT_EQ(actual.v, expected.v) << code;
        EXPECT_EQ(actual.width, expected.width) << code;
        EXPECT_EQ(actual.height, expected.height) << code;
        EXPECT_EQ(actual.xOffset, expected.xOffset) << code;
        EXPECT_EQ(actual.yOffset, expected.yOffset) << code;
        EXPECT_EQ(actual.xAdvance, expected.xAdvance) << code;
        EXPECT_EQ(actual.kernings, expected.kernings) << code;
    }
}

TEST(FontDescription, MissingZeroOrNegativeMetricsFailTheFont)
{
    const Reading missing = Read(std::string(kPages) + kChars);
    EXPECT_FALSE(missing.read);
    EXPECT_TRUE(ContainsWrapped(missing.log, "The font has no \"common\" element with its metrics"))
        << missing.log;

    for (const char* common : {R"(<common lineHeight="32" base="25" scaleW="256"/>)",
                               R"(<common lineHeight="0" base="25" scaleW="256" scaleH="256"/>)",
                               R"(<common lineHeight="32" base="-25" scaleW="256" scaleH="256"/>)"})
    {
        const Reading reading = Read(std::string(common) + kPages + kChars);
        EXPECT_FALSE(reading.read) << common;
        EXPECT_TRUE(ContainsWrapped(reading.log, "Font metrics must be positive")) << reading.log;
        EXPECT_TRUE(reading.description.GetCharacters().empty()) << common;
    }
}

TEST(FontDescription, WhatCannotBeUsedIsSkippedWithAWarningAndTheRestIsRead)
{
    const Reading reading = Read(std::string(kCommon) + R"(<glyphs/>
        <pages><page file="a_0.png"/><image file="b.png"/></pages>
        <chars>
            <char id="65" x="0" y="0" width="20" height="24" xadvance="22" page="0"/>
            <char id="65" x="100" y="0" width="20" height="24" xadvance="22" page="0"/>
            <char id="66" x="0" y="0" width="20" height="24" xadvance="22" page="1"/>
            <char id="67" x="0" y="0" width="-2" height="24" xadvance="22" page="0"/>
            <glyph id="68"/>
        </chars>
        <kernings><kerning first="90" second="65" amount="-2"/><kerning first="65" second="90" amount="-2"/>
            <pair first="65" second="66"/></kernings>)");
    ASSERT_TRUE(reading.read) << reading.log;
    const std::string& log = reading.log;
    for (const char* element : {"glyphs", "image", "glyph", "pair"})
    {
        EXPECT_TRUE(ContainsWrapped(log, std::string("Unknown parser element '") + element + "'")) << log;
    }
    EXPECT_TRUE(ContainsWrapped(log, "Character 65 is described twice; the first is kept")) << log;
    EXPECT_TRUE(ContainsWrapped(log, "Character 66 is on page 1, which the font lacks; skipped")) << log;
    EXPECT_TRUE(ContainsWrapped(log, "Character 67 has a negative size; skipped")) << log;
    EXPECT_TRUE(ContainsWrapped(log, "Kerning of character 90, which the font lacks; skipped")) << log;
    EXPECT_EQ(reading.description.GetPageFiles().size(), 1u);
    const auto& characters = reading.description.GetCharacters();
    ASSERT_EQ(characters.size(), 1u);
    EXPECT_FLOAT_EQ(characters.at(65).u, 0.0f);
    // A kerning toward a character the font lacks does no harm: layouts never look it up.
    EXPECT_EQ(characters.at(65).kernings.size(), 1u);
}
} // namespace
} // namespace Morvane::Graphics
