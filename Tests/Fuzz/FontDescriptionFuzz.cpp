// Any XML goes through the bitmap-font description reader without a crash or undefined behaviour; a
// description that reads has positive metrics, and every character it keeps lies on one of its pages
// with finite numbers.
#include "Font/FontDescription.h"
#include "FuzzSupport.h"
#include "Parsing/XMLParserData/XMLParserData.h"

#include <cmath>
#include <string>

using namespace Morvane;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    XMLParserData root;
    if (!root.FromString(std::string(reinterpret_cast<const char*>(data), size)))
    {
        return 0;
    }
    Graphics::FontDescription description("Font 'Fuzz'");
    if (!description.Read(root))
    {
        return 0;
    }
    const Graphics::FontMetrics& metrics = description.GetMetrics();
    Fuzzing::Require(metrics.scaleWidth > 0 && metrics.scaleHeight > 0 && metrics.lineHeight > 0 &&
                         metrics.base > 0,
                     "a description that reads has positive metrics");
    for (const auto& [code, character] : description.GetCharacters())
    {
        Fuzzing::Require(code == character.id, "characters are found by their code");
        Fuzzing::Require(character.page >= 0 &&
                             static_cast<std::size_t>(character.page) < description.GetPageFiles().size(),
                         "a kept character lies on a page of the font");
        Fuzzing::Require(character.width >= 0 && character.height >= 0,
                         "a kept character has no negative size");
        for (const auto& [next, amount] : character.kernings)
        {
            Fuzzing::Require(std::isfinite(amount), "kernings are finite");
        }
    }
    return 0;
}
