#include "StandardOutputGuard.h"
#include "System/Logging/Format.h"
#include "Texture/ImageComparison.h"

#include <cstdio>
#include <string>

namespace
{
using namespace Morvane;

int Usage()
{
    std::fputs("usage: morvane-imagediff EXPECTED ACTUAL [DIFF]\n"
               "  Compares two PNG pictures: equal when at most 0.1 % of the pixels differ by more than\n"
               "  5/255 in a channel. DIFF, when given, receives the failing pixels in red over the dimmed\n"
               "  expected picture. Exit 0 equal, 1 different, 2 for a bad command line or file.\n",
               stderr);
    return 2;
}

bool Read(const char* path, Texture::RgbImage& image)
{
    std::string error;
    if (!Texture::ReadRgbPng(path, image, error))
    {
        std::fprintf(stderr, "morvane-imagediff: %s\n", error.c_str());
        return false;
    }
    return true;
}

std::string Describe(const Texture::RgbImage& expected, const Texture::RgbImage& actual,
                     const Texture::ImageDifference& difference)
{
    const char* verdict = difference.equal ? "equal" : "different";
    if (difference.sizeMismatch)
    {
        return Format("%s: the expected picture is %d x %d pixels, the actual %d x %d\n", verdict,
                      expected.width, expected.height, actual.width, actual.height);
    }
    return Format("%s: %zu of %zu pixels differ by more than %d/255, the largest difference is %d/255\n",
                  verdict, difference.failingPixels, difference.pixels, Texture::kChannelTolerance,
                  difference.largestChannelDifference);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4)
    {
        return Usage();
    }
    const MorvaneTools::StandardOutputGuard output;
    Texture::RgbImage expected;
    Texture::RgbImage actual;
    if (!Read(argv[1], expected) || !Read(argv[2], actual))
    {
        return 2;
    }
    const Texture::ImageDifference difference = Texture::CompareImages(expected, actual);
    if (argc == 4 && !Texture::WriteRgbPng(argv[3], Texture::MakeDifferenceImage(expected, actual)))
    {
        std::fprintf(stderr, "morvane-imagediff: cannot write '%s'\n", argv[3]);
        return 2;
    }
    if (!output.Write(Describe(expected, actual, difference)))
    {
        return 2;
    }
    return difference.equal ? 0 : 1;
}
