#include "FontBaker.h"

#include "ShelfPacker.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <lodepng.h>
#include <memory>
#include <sstream>
#include <vector>

namespace FontBaker
{
namespace
{
// Glyphs stay this far apart so that mipmaps do not bleed one into the next.
constexpr int kGlyphGap = 2;

struct LibraryCloser
{
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceCloser
{
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryHandle = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryCloser>;
using FaceHandle = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceCloser>;

struct Glyph
{
    unsigned code = 0;
    FT_UInt index = 0;
    int width = 0;
    int height = 0;
    int xoffset = 0;
    int yoffset = 0;
    int xadvance = 0;
    std::vector<std::uint8_t> coverage;
    int page = 0;
    int x = 0;
    int y = 0;
};

int Round26Dot6(FT_Pos value)
{
    return static_cast<int>((value + 32) >> 6);
}

bool RenderGlyph(FT_Face face, Glyph& glyph, int base)
{
    if (FT_Load_Glyph(face, glyph.index, FT_LOAD_RENDER) != 0)
    {
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.xoffset = slot->bitmap_left;
    glyph.yoffset = base - slot->bitmap_top;
    glyph.xadvance = Round26Dot6(slot->advance.x);
    glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * glyph.height);
    for (int row = 0; row < glyph.height; ++row)
    {
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        std::copy(source, source + glyph.width,
                  glyph.coverage.begin() + static_cast<std::ptrdiff_t>(row) * glyph.width);
    }
    return true;
}

std::string PageFileName(const std::filesystem::path& output, int page)
{
    return output.stem().string() + "_" + std::to_string(page) + ".png";
}

bool WritePages(const std::vector<Glyph>& glyphs, int pageCount, int pageSize,
                const std::filesystem::path& output, std::string& error)
{
    for (int page = 0; page < pageCount; ++page)
    {
        // White everywhere: filtering then blends coverage only, never toward black.
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(pageSize) * pageSize * 4, 255);
        for (std::size_t alpha = 3; alpha < rgba.size(); alpha += 4)
        {
            rgba[alpha] = 0;
        }
        for (const Glyph& glyph : glyphs)
        {
            if (glyph.page != page)
            {
                continue;
            }
            for (int row = 0; row < glyph.height; ++row)
            {
                for (int column = 0; column < glyph.width; ++column)
                {
                    const std::size_t target =
                        (static_cast<std::size_t>(glyph.y + row) * pageSize + glyph.x + column) * 4 + 3;
                    rgba[target] = glyph.coverage[static_cast<std::size_t>(row) * glyph.width + column];
                }
            }
        }
        const std::filesystem::path path = output.parent_path() / PageFileName(output, page);
        if (lodepng::encode(path.string(), rgba, static_cast<unsigned>(pageSize),
                            static_cast<unsigned>(pageSize)) != 0)
        {
            error = "could not write " + path.string();
            return false;
        }
    }
    return true;
}

std::string Describe(FT_Face face, const std::vector<Glyph>& glyphs, int pageCount,
                     const BakeOptions& options, int lineHeight, int base)
{
    std::ostringstream xml;
    const std::filesystem::path output(options.outputPath);
    xml << "<?xml version=\"1.0\"?>\n<font>\n";
    xml << "  <info face=\"" << face->family_name << "\" style=\"" << face->style_name << "\" size=\""
        << options.pixels << "\" padding=\"0,0,0,0\" spacing=\"" << kGlyphGap << "," << kGlyphGap << "\"/>\n";
    xml << "  <common lineHeight=\"" << lineHeight << "\" base=\"" << base << "\" scaleW=\""
        << options.pageSize << "\" scaleH=\"" << options.pageSize << "\" pages=\"" << pageCount << "\"/>\n";
    xml << "  <pages>\n";
    for (int page = 0; page < pageCount; ++page)
    {
        xml << "    <page id=\"" << page << "\" file=\"" << PageFileName(output, page) << "\"/>\n";
    }
    xml << "  </pages>\n  <chars count=\"" << glyphs.size() << "\">\n";
    for (const Glyph& glyph : glyphs)
    {
        xml << "    <char id=\"" << glyph.code << "\" x=\"" << glyph.x << "\" y=\"" << glyph.y
            << "\" width=\"" << glyph.width << "\" height=\"" << glyph.height << "\" xoffset=\""
            << glyph.xoffset << "\" yoffset=\"" << glyph.yoffset << "\" xadvance=\"" << glyph.xadvance
            << "\" page=\"" << glyph.page << "\"/>\n";
    }
    xml << "  </chars>\n";
    std::ostringstream kernings;
    std::size_t kerningCount = 0;
    if (FT_HAS_KERNING(face))
    {
        for (const Glyph& first : glyphs)
        {
            for (const Glyph& second : glyphs)
            {
                FT_Vector kerning{};
                if (FT_Get_Kerning(face, first.index, second.index, FT_KERNING_DEFAULT, &kerning) != 0 ||
                    kerning.x == 0)
                {
                    continue;
                }
                kernings << "    <kerning first=\"" << first.code << "\" second=\"" << second.code
                         << "\" amount=\"" << Round26Dot6(kerning.x) << "\"/>\n";
                ++kerningCount;
            }
        }
    }
    xml << "  <kernings count=\"" << kerningCount << "\">\n" << kernings.str() << "  </kernings>\n</font>\n";
    return xml.str();
}
} // namespace

bool Bake(const BakeOptions& options, std::string& error)
{
    FT_Library rawLibrary = nullptr;
    if (FT_Init_FreeType(&rawLibrary) != 0)
    {
        error = "could not start FreeType";
        return false;
    }
    const LibraryHandle library(rawLibrary);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(library.get(), options.fontPath.c_str(), 0, &rawFace) != 0)
    {
        error = "could not open the face " + options.fontPath;
        return false;
    }
    const FaceHandle face(rawFace);
    if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(options.pixels)) != 0)
    {
        error = "the face has no size of " + std::to_string(options.pixels) + " pixels";
        return false;
    }
    const int lineHeight = Round26Dot6(face->size->metrics.height);
    const int base = Round26Dot6(face->size->metrics.ascender);

    std::vector<Glyph> glyphs;
    for (const unsigned code : options.codes)
    {
        Glyph glyph;
        glyph.code = code;
        glyph.index = FT_Get_Char_Index(face.get(), code);
        // Codes the face lacks are left out: the text component skips them with a warning.
        if (glyph.index != 0 && RenderGlyph(face.get(), glyph, base))
        {
            glyphs.push_back(std::move(glyph));
        }
    }

    // Tallest first packs rows tightly; ties keep code order so that bakes repeat.
    std::vector<Glyph*> order;
    for (Glyph& glyph : glyphs)
    {
        order.push_back(&glyph);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const Glyph* a, const Glyph* b) { return a->height > b->height; });
    ShelfPacker packer(options.pageSize, kGlyphGap);
    for (Glyph* glyph : order)
    {
        if (!packer.Place(glyph->width, glyph->height, glyph->page, glyph->x, glyph->y))
        {
            error = "glyph " + std::to_string(glyph->code) + " does not fit on a page of " +
                    std::to_string(options.pageSize);
            return false;
        }
    }

    const std::filesystem::path output(options.outputPath);
    if (!WritePages(glyphs, packer.GetPageCount(), options.pageSize, output, error))
    {
        return false;
    }
    std::ofstream file(output, std::ios::binary);
    file << Describe(face.get(), glyphs, packer.GetPageCount(), options, lineHeight, base);
    if (!file)
    {
        error = "could not write " + output.string();
        return false;
    }
    return true;
}
} // namespace FontBaker
