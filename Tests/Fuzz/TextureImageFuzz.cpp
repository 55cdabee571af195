// Any bytes go through the PNG decoder without a crash or undefined behaviour; a decoded image holds
// exactly its texels, each channel between 0 and 1, and never more than the size limit.
#include "FuzzSupport.h"
#include "Texture/PngImage.h"

#include <algorithm>
#include <span>
#include <string>

using namespace Morvane;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Graphics::TexelImage image;
    std::string problem;
    if (Graphics::DecodePng(std::span<const unsigned char>(data, size), image, problem))
    {
        const std::size_t texels = std::size_t{image.width} * image.height;
        Fuzzing::Require(texels > 0 && texels <= Graphics::kMaxImageTexels, "a decoded image is in bounds");
        Fuzzing::Require(image.texels.size() == texels * 4, "four channels per texel");
        Fuzzing::Require(
            std::ranges::all_of(image.texels, [](float value) { return value >= 0 && value <= 1; }),
            "channels lie between 0 and 1");
    }
    else
    {
        Fuzzing::Require(!problem.empty(), "a refused image names its problem");
    }
    return 0;
}
