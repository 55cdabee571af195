#include "Font/FontDescription.h"
#include "Font/TextLayout.h"
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

// Lines of 20 px with the base at 16; "A" and "V" 10 x 12 px, kerned 2 px closer; a space.
class TextLayoutTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const auto root = Testing::ParseXml(R"(<font>
            <common lineHeight="20" base="16" scaleW="128" scaleH="64"/>
            <pages><page file="p.png"/></pages>
            <chars>
                <char id="65" x="0" y="0" width="10" height="12" xoffset="1" yoffset="4" xadvance="12" page="0"/>
                <char id="86" x="20" y="16" width="10" height="12" xoffset="0" yoffset="4" xadvance="11" page="0"/>
                <char id="32" x="0" y="0" width="0" height="0" xoffset="0" yoffset="16" xadvance="5" page="0"/>
            </chars>
            <kernings><kerning first="65" second="86" amount="-2"/></kernings></font>)");
        ASSERT_TRUE(description.Read(*root));
    }

    FontDescription description{"Font 'Test'"};
};

TEST_F(TextLayoutTest, GlyphsComeBackToPixelsScaledByTheFontSize)
{
    TextLayout layout(description.GetMetrics(), description.GetCharacters());
    layout.Build("A", 40.0f, "Test/Text");
    ASSERT_EQ(layout.GetQuads().size(), 1u);
    const GlyphQuad& a = layout.GetQuads()[0];
    // Twice the font's pixels: offsets (1, 4), size 10 x 12.
    EXPECT_FLOAT_EQ(a.topLeft.x, 2.0f);
    EXPECT_FLOAT_EQ(a.topLeft.y, 8.0f);
    EXPECT_FLOAT_EQ(a.bottomRight.x, 22.0f);
    EXPECT_FLOAT_EQ(a.bottomRight.y, 32.0f);
    EXPECT_FLOAT_EQ(a.uvTopLeft.x, 0.0f);
    EXPECT_FLOAT_EQ(a.uvTopLeft.y, 1.0f);
    EXPECT_FLOAT_EQ(a.uvBottomRight.x, 10.0f / 128.0f);
    EXPECT_FLOAT_EQ(a.uvBottomRight.y, 1.0f - 12.0f / 64.0f);
    EXPECT_FLOAT_EQ(layout.GetSize().x, 24.0f);
    EXPECT_FLOAT_EQ(layout.GetSize().y, 40.0f);
}

TEST_F(TextLayoutTest, KerningPullsPairsCloserAndSpacesOnlyAdvance)
{
    TextLayout layout(description.GetMetrics(), description.GetCharacters());
    layout.Build("AV", 20.0f, "Test/Text");
    ASSERT_EQ(layout.GetQuads().size(), 2u);
    // "V" starts at A's advance, 12, pulled back by 2.
    EXPECT_FLOAT_EQ(layout.GetQuads()[1].topLeft.x, 10.0f);
    EXPECT_FLOAT_EQ(layout.GetSize().x, 21.0f);
    EXPECT_LT(layout.GetSize().x, 12.0f + 11.0f) << "narrower than its advances";

    layout.Build("VA", 20.0f, "Test/Text");
    EXPECT_FLOAT_EQ(layout.GetSize().x, 23.0f) << "kernings go one way";

    layout.Build("A V", 20.0f, "Test/Text");
    ASSERT_EQ(layout.GetQuads().size(), 2u);
    EXPECT_FLOAT_EQ(layout.GetQuads()[1].topLeft.x, 17.0f) << "no kerning across the space";
}

TEST_F(TextLayoutTest, NewLinesStartAtTheLeftOneLineLower)
{
    TextLayout layout(description.GetMetrics(), description.GetCharacters());
    layout.Build("AVA\nA\n", 20.0f, "Test/Text");
    ASSERT_EQ(layout.GetQuads().size(), 4u);
    EXPECT_FLOAT_EQ(layout.GetQuads()[3].topLeft.x, 1.0f);
    EXPECT_FLOAT_EQ(layout.GetQuads()[3].topLeft.y, 24.0f);
    EXPECT_FLOAT_EQ(layout.GetSize().x, 33.0f);
    EXPECT_FLOAT_EQ(layout.GetSize().y, 60.0f);
}

TEST_F(TextLayoutTest, CharactersTheFontLacksAreSkippedWithOneWarningEach)
{
    TextLayout layout(description.GetMetrics(), description.GetCharacters());
    LogCapture capture;
    layout.Build("A\xC3\xA9"
                 "A\xC3\xA9\xFF",
                 20.0f, "Wall/Text");
    const std::string log = capture.Text();
    EXPECT_EQ(layout.GetQuads().size(), 2u);
    EXPECT_FLOAT_EQ(layout.GetQuads()[1].topLeft.x, 13.0f);
    EXPECT_TRUE(ContainsWrapped(log, "Character 233 is not in the font; skipped")) << log;
    EXPECT_TRUE(ContainsWrapped(log, "Character 65533 is not in the font; skipped")) << log;
    EXPECT_EQ(log.find("233"), log.rfind("233")) << log;

    layout.Build("A", 0.0f, "Wall/Text");
    EXPECT_TRUE(layout.GetQuads().empty());
}

TEST(TextLayoutUtf8, CodePointsAndWhatIsNotOne)
{
    EXPECT_EQ(TextLayout::DecodeUtf8("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
              (std::vector<int>{'A', 0xE9, 0x20AC, 0x1F600}));
    constexpr int kBad = 0xFFFD;
    // A stray continuation, an overlong NUL, a cut sequence, a surrogate, a value past U+10FFFF.
    EXPECT_EQ(TextLayout::DecodeUtf8("\x80"), (std::vector<int>{kBad}));
    EXPECT_EQ(TextLayout::DecodeUtf8("\xC0\x80"), (std::vector<int>{kBad, kBad}));
    EXPECT_EQ(TextLayout::DecodeUtf8("\xE2\x82"), (std::vector<int>{kBad, kBad}));
    EXPECT_EQ(TextLayout::DecodeUtf8("\xED\xA0\x80Z"), (std::vector<int>{kBad, kBad, kBad, 'Z'}));
    EXPECT_EQ(TextLayout::DecodeUtf8("\xF4\x90\x80\x80"), (std::vector<int>{kBad, kBad, kBad, kBad}));
    EXPECT_TRUE(TextLayout::DecodeUtf8("").empty());
}
} // namespace
} // namespace Morvane::Graphics
