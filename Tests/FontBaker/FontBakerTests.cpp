#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <tinyxml2.h>
#include <vector>

namespace
{
using namespace Morvane;

const std::string kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

struct Rectangle
{
    int x, y, width, height, page;
};

TEST(FontBaker, BakesEveryCodeInsideDisjointRectanglesWithKerningAndRepeatsByteForByte)
{
    const Testing::TempDirectory folder;
    const std::string first = folder.Path() + "/A.xml";
    ASSERT_EQ(
        Testing::RunTool("font-baker", "'" + kFace + "' 32 '" + first + "' --chars 32-126 --page 256", "2>&1")
            .exitCode,
        0);

    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.LoadFile(first.c_str()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* font = document.FirstChildElement("font");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->FirstChildElement("common")->IntAttribute("scaleW"), 256);
    std::vector<Rectangle> rectangles;
    for (const auto* glyph = font->FirstChildElement("chars")->FirstChildElement("char"); glyph;
         glyph = glyph->NextSiblingElement("char"))
    {
        rectangles.push_back({glyph->IntAttribute("x"), glyph->IntAttribute("y"),
                              glyph->IntAttribute("width"), glyph->IntAttribute("height"),
                              glyph->IntAttribute("page")});
    }
    EXPECT_EQ(rectangles.size(), 95u);
    for (std::size_t a = 0; a < rectangles.size(); ++a)
    {
        const Rectangle& r = rectangles[a];
        EXPECT_TRUE(r.x >= 2 && r.y >= 2 && r.x + r.width <= 254 && r.y + r.height <= 254) << a;
        for (std::size_t b = a + 1; b < rectangles.size(); ++b)
        {
            const Rectangle& s = rectangles[b];
            const bool apart = r.page != s.page || r.x + r.width + 2 <= s.x || s.x + s.width + 2 <= r.x ||
                               r.y + r.height + 2 <= s.y || s.y + s.height + 2 <= r.y;
            EXPECT_TRUE(apart || r.width == 0 || s.width == 0) << a << " " << b;
        }
    }
    bool kernedAV = false;
    for (const auto* kerning = font->FirstChildElement("kernings")->FirstChildElement("kerning"); kerning;
         kerning = kerning->NextSiblingElement("kerning"))
    {
        kernedAV |= kerning->IntAttribute("first") == 'A' && kerning->IntAttribute("second") == 'V' &&
                    kerning->IntAttribute("amount") < 0;
    }
    EXPECT_TRUE(kernedAV);

    const std::string second = folder.Path() + "/B/A.xml";
    folder.Write("B/.keep", "");
    ASSERT_EQ(Testing::RunTool("font-baker", "'" + kFace + "' 32 '" + second + "' --chars 32-126 --page 256",
                               "2>&1")
                  .exitCode,
              0);
    EXPECT_EQ(ReadAll(first), ReadAll(second));
    EXPECT_EQ(ReadAll(folder.Path() + "/A_0.png"), ReadAll(folder.Path() + "/B/A_0.png"));
}

TEST(FontBaker, RefusesBadCommandLinesAndMissingFaces)
{
    EXPECT_EQ(Testing::RunTool("font-baker", "'" + kFace + "' 0 /tmp/x.xml", "2>&1").exitCode, 2);
    EXPECT_EQ(Testing::RunTool("font-baker", "'" + kFace + "' 32 /tmp/x.xml --chars 9-3", "2>&1").exitCode,
              2);
    EXPECT_EQ(Testing::RunTool("font-baker", "/no/such.ttf 32 /tmp/x.xml", "2>&1").exitCode, 1);
}
} // namespace
