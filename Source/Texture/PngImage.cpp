#include "Texture/PngImage.h"

#include "System/Logging/Format.h"

#include <lodepng.h>

namespace Morvane::Graphics
{
bool DecodePng(std::span<const unsigned char> bytes, TexelImage& image, std::string& problem)
{
    unsigned width = 0;
    unsigned height = 0;
    lodepng::State state;
    unsigned error = lodepng_inspect(&width, &height, &state, bytes.data(), bytes.size());
    if (error != 0)
    {
        problem = lodepng_error_text(error);
        return false;
    }
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
        std::size_t{width} * height > kMaxImageTexels)
    {
        problem = Format("an image of %u x %u texels is too large", width, height);
        return false;
    }
    std::vector<unsigned char> decoded;
    error = lodepng::decode(decoded, width, height, bytes.data(), bytes.size(), LCT_RGBA, 8);
    if (error != 0)
    {
        problem = lodepng_error_text(error);
        return false;
    }
    const std::size_t rowBytes = std::size_t{width} * 4;
    image.width = width;
    image.height = height;
    image.texels.resize(decoded.size());
    // PNG rows run from the top of the picture; texture rows from the bottom.
    for (std::size_t row = 0; row < height; ++row)
    {
        const unsigned char* source = decoded.data() + (height - 1 - row) * rowBytes;
        float* destination = image.texels.data() + row * rowBytes;
        for (std::size_t at = 0; at < rowBytes; ++at)
        {
            destination[at] = static_cast<float>(source[at]) / 255.0f;
        }
    }
    return true;
}
} // namespace Morvane::Graphics
