#include "Texture/ImageComparison.h"

#include "Texture/PngImage.h"

#include <algorithm>
#include <cstdlib>
#include <lodepng.h>

namespace Morvane::Texture
{
namespace
{
// Red stands out against the expected picture at a quarter of its brightness.
constexpr int kDimming = 4;
constexpr std::uint8_t kFailingColour[3] = {255, 0, 0};

bool HoldsItsPixels(const RgbImage& image)
{
    return image.width >= 0 && image.height >= 0 &&
           image.rgb.size() == std::size_t(image.width) * std::size_t(image.height) * 3;
}

std::size_t PixelIndex(const RgbImage& image, int x, int y)
{
    return (std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 3;
}

int LargestChannelDifference(const std::uint8_t* a, const std::uint8_t* b)
{
    int largest = 0;
    for (int channel = 0; channel < 3; ++channel)
    {
        largest = std::max(largest, std::abs(int(a[channel]) - int(b[channel])));
    }
    return largest;
}

bool Inside(const RgbImage& image, int x, int y)
{
    return x < image.width && y < image.height;
}
} // namespace

bool ReadRgbPng(const std::string& path, RgbImage& image, std::string& error)
{
    std::vector<unsigned char> bytes;
    if (lodepng::load_file(bytes, path) != 0)
    {
        error = "cannot read '" + path + "'";
        return false;
    }
    unsigned width = 0;
    unsigned height = 0;
    lodepng::State state;
    unsigned problem = lodepng_inspect(&width, &height, &state, bytes.data(), bytes.size());
    if (problem == 0 && (width > Graphics::kMaxImageSide || height > Graphics::kMaxImageSide ||
                         std::size_t{width} * height > Graphics::kMaxImageTexels))
    {
        error = "'" + path + "' is too large";
        return false;
    }
    std::vector<unsigned char> decoded;
    if (problem == 0)
    {
        problem = lodepng::decode(decoded, width, height, bytes, LCT_RGB, 8);
    }
    if (problem != 0)
    {
        error = "'" + path + "' is not a readable PNG: " + lodepng_error_text(problem);
        return false;
    }
    image.width = int(width);
    image.height = int(height);
    image.rgb.assign(decoded.begin(), decoded.end());
    return true;
}

bool WriteRgbPng(const std::string& path, const RgbImage& image)
{
    if (image.width <= 0 || image.height <= 0 || !HoldsItsPixels(image))
    {
        return false;
    }
    return lodepng::encode(path, image.rgb.data(), unsigned(image.width), unsigned(image.height), LCT_RGB,
                           8) == 0;
}

ImageDifference CompareImages(const RgbImage& expected, const RgbImage& actual)
{
    ImageDifference difference;
    if (expected.width != actual.width || expected.height != actual.height || !HoldsItsPixels(expected) ||
        !HoldsItsPixels(actual))
    {
        difference.sizeMismatch = true;
        return difference;
    }
    difference.pixels = std::size_t(expected.width) * std::size_t(expected.height);
    for (std::size_t at = 0; at < expected.rgb.size(); at += 3)
    {
        const int largest = LargestChannelDifference(&expected.rgb[at], &actual.rgb[at]);
        difference.largestChannelDifference = std::max(difference.largestChannelDifference, largest);
        if (largest > kChannelTolerance)
        {
            ++difference.failingPixels;
        }
    }
    // Counted in whole pixels, so that exactly one in a thousand still passes.
    difference.equal = difference.failingPixels * 1000 <= difference.pixels * kFailingPixelsPerThousand;
    return difference;
}

RgbImage MakeDifferenceImage(const RgbImage& expected, const RgbImage& actual)
{
    const bool expectedValid = HoldsItsPixels(expected);
    const bool actualValid = HoldsItsPixels(actual);
    RgbImage picture;
    picture.width = std::max(expectedValid ? expected.width : 0, actualValid ? actual.width : 0);
    picture.height = std::max(expectedValid ? expected.height : 0, actualValid ? actual.height : 0);
    picture.rgb.resize(std::size_t(picture.width) * std::size_t(picture.height) * 3);
    for (int y = 0; y < picture.height; ++y)
    {
        for (int x = 0; x < picture.width; ++x)
        {
            std::uint8_t* pixel = &picture.rgb[PixelIndex(picture, x, y)];
            const bool inExpected = expectedValid && Inside(expected, x, y);
            const bool inActual = actualValid && Inside(actual, x, y);
            const std::uint8_t* wanted = inExpected ? &expected.rgb[PixelIndex(expected, x, y)] : nullptr;
            if (!inExpected || !inActual ||
                LargestChannelDifference(wanted, &actual.rgb[PixelIndex(actual, x, y)]) > kChannelTolerance)
            {
                std::copy(std::begin(kFailingColour), std::end(kFailingColour), pixel);
                continue;
            }
            for (int channel = 0; channel < 3; ++channel)
            {
                pixel[channel] = std::uint8_t(wanted[channel] / kDimming);
            }
        }
    }
    return picture;
}
} // namespace Morvane::Texture
