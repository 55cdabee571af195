#include "FontValidator.h"

#include "Font/FontDescription.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/PngImage.h"

#include <lodepng.h>
#include <vector>

namespace MorvaneData
{
namespace
{
const char* const kChannel = "morvane-data";
// Glyph positions come back from texture coordinates as floats.
constexpr float kSlack = 0.01f;
} // namespace

bool FontValidator::Handles(const Morvane::IParserData& root) const
{
    return root.GetName() == "font";
}

bool FontValidator::Validate(Morvane::IParserData& root, const std::string& path)
{
    using Morvane::Format;
    Morvane::Graphics::FontDescription description(Format("Font '%s'", path.c_str()));
    if (!description.Read(root))
    {
        return false;
    }
    bool valid = true;
    const std::string folder = Morvane::PathWrapper::GetFolder(path);
    std::vector<Morvane::Graphics::TexelImage> pages;
    for (const std::string& file : description.GetPageFiles())
    {
        std::vector<unsigned char> bytes;
        Morvane::Graphics::TexelImage page;
        std::string problem = "the file cannot be read";
        if (lodepng::load_file(bytes, folder + file) != 0 ||
            !Morvane::Graphics::DecodePng(bytes, page, problem))
        {
            Morvane::Log::Error(kChannel, Format("%s: page '%s' does not decode: %s", path.c_str(),
                                                 file.c_str(), problem.c_str()));
            valid = false;
        }
        pages.push_back(std::move(page));
    }
    const Morvane::Graphics::FontMetrics& metrics = description.GetMetrics();
    for (const auto& [code, glyph] : description.GetCharacters())
    {
        const Morvane::Graphics::TexelImage& page = pages[static_cast<std::size_t>(glyph.page)];
        if (page.width == 0)
        {
            continue;
        }
        const float x = glyph.u * static_cast<float>(metrics.scaleWidth);
        const float y = (1.0f - glyph.v) * static_cast<float>(metrics.scaleHeight);
        const float right = x + glyph.width * static_cast<float>(metrics.base);
        const float bottom = y + glyph.height * static_cast<float>(metrics.lineHeight);
        if (x < -kSlack || y < -kSlack || right > static_cast<float>(page.width) + kSlack ||
            bottom > static_cast<float>(page.height) + kSlack)
        {
            Morvane::Log::Error(kChannel, Format("%s: character %d lies outside its %u x %u page %d",
                                                 path.c_str(), code, page.width, page.height, glyph.page));
            valid = false;
        }
    }
    return valid;
}
} // namespace MorvaneData
