// Any caption bytes lay out with a real font's metrics without a crash or undefined behaviour: never
// more glyphs than code points, every rectangle finite and the right way round, inside the reported
// height, and with texture coordinates on the page.
#include "Font/FontDescription.h"
#include "Font/TextLayout.h"
#include "FuzzSupport.h"
#include "Parsing/FileParser/FileParser.h"

#include <cmath>
#include <memory>
#include <string_view>

using namespace Morvane;

namespace
{
std::unique_ptr<Graphics::FontDescription> g_font;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    FileParser parser;
    const IParserData* root = parser.Parse(MORVANE_SHIPPED_FONT);
    g_font = std::make_unique<Graphics::FontDescription>("Font 'Fuzz'");
    Fuzzing::Require(root != nullptr && g_font->Read(*root), "the shipped font reads");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
    {
        return 0;
    }
    // The first byte picks the size, 1 to 256 px per line; the rest is the caption.
    const float fontSize = static_cast<float>(data[0]) + 1.0f;
    const std::string_view caption(reinterpret_cast<const char*>(data + 1), size - 1);
    Graphics::TextLayout layout(g_font->GetMetrics(), g_font->GetCharacters());
    layout.Build(caption, fontSize, "Fuzz/Text");
    Fuzzing::Require(layout.GetQuads().size() <= caption.size(), "at most one glyph per byte");
    Fuzzing::Require(layout.GetSize().x >= 0.0f && layout.GetSize().y >= fontSize,
                     "a size of at least one line");
    for (const Graphics::GlyphQuad& quad : layout.GetQuads())
    {
        Fuzzing::Require(std::isfinite(quad.topLeft.x) && std::isfinite(quad.bottomRight.y),
                         "finite rectangles");
        Fuzzing::Require(quad.topLeft.x < quad.bottomRight.x && quad.topLeft.y < quad.bottomRight.y,
                         "rectangles the right way round");
        Fuzzing::Require(quad.topLeft.y >= 0.0f &&
                             quad.bottomRight.y <= layout.GetSize().y + 0.01f * fontSize,
                         "glyphs inside the lines");
        Fuzzing::Require(quad.uvTopLeft.x >= 0.0f && quad.uvBottomRight.x <= 1.0001f &&
                             quad.uvBottomRight.y >= -0.0001f && quad.uvTopLeft.y <= 1.0f,
                         "texture coordinates on the page");
    }
    return 0;
}
