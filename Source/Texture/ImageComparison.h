#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Morvane::Texture
{
// A picture as screenshots and golden images hold it: 8-bit red, green, blue per pixel, rows from the top
// of the picture down (as PNG stores them), no padding.
struct RgbImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Two renderings count as equal when at most one pixel in a thousand differs by more than 5/255 in some
// channel: drivers round differently, but a changed picture moves far more pixels than that.
inline constexpr int kChannelTolerance = 5;
inline constexpr std::size_t kFailingPixelsPerThousand = 1;

struct ImageDifference
{
    bool equal = false;
    // The sizes differ (or an image's bytes do not match its size): nothing was compared and the counts
    // are zero.
    bool sizeMismatch = false;
    std::size_t failingPixels = 0;
    std::size_t pixels = 0;
    int largestChannelDifference = 0;
};

// Reads a PNG of any colour type and depth as 8-bit RGB (alpha is dropped). False with the reason in
// `error` for a file that cannot be read, is not PNG or is too large.
bool ReadRgbPng(const std::string& path, RgbImage& image, std::string& error);
// False for an empty image, one whose bytes do not match its size, or a file that cannot be written.
bool WriteRgbPng(const std::string& path, const RgbImage& image);

ImageDifference CompareImages(const RgbImage& expected, const RgbImage& actual);
// The expected picture dimmed, with every failing pixel pure red. Where the sizes differ the picture
// covers both, and every pixel that only one of them has is red.
RgbImage MakeDifferenceImage(const RgbImage& expected, const RgbImage& actual);
} // namespace Morvane::Texture
