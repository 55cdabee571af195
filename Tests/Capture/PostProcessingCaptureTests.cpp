// Each image-space effect's capture configuration through `brimora --capture`, with a picture made for
// it as "PostInput.png" beside the script.
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace Morvane::Capture
{
namespace
{
using Testing::TempDirectory;
using Testing::ToolResult;

constexpr int kWidth = 160;
constexpr int kHeight = 100;

Texture::RgbImage Make(const std::function<std::uint8_t(int, int)>& grey)
{
    Texture::RgbImage picture{kWidth, kHeight, {}};
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            const std::uint8_t value = grey(x, y);
            picture.rgb.insert(picture.rgb.end(), {value, value, value});
        }
    }
    return picture;
}

int Grey(const Texture::RgbImage& picture, int x, int y)
{
    return picture.rgb[static_cast<std::size_t>((y * picture.width + x) * 3)];
}

// Runs Tests/Data/PostProcessing/<effect>.xml over `input` and returns the window's picture.
Texture::RgbImage RunEffect(const std::string& effect, const Texture::RgbImage& input)
{
    const TempDirectory folder;
    EXPECT_TRUE(Texture::WriteRgbPng(folder.Path() + "PostInput.png", input));
    const std::string script = folder.Write(
        "run.xml", std::string(R"(<Capture frames="2" width="160" height="100" configuration=")") +
                       MORVANE_TEST_DATA + "PostProcessing/" + effect +
                       R"(.xml"><Frame number="1"><Screenshot path="out.png"/></Frame></Capture>)");
    const ToolResult result = Testing::RunGame("--capture " + script);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output.find("rror"), std::string::npos) << result.output;
    Texture::RgbImage output;
    std::string error;
    EXPECT_TRUE(Texture::ReadRgbPng(folder.Path() + "out.png", output, error)) << error;
    return output;
}

// A hard diagonal gains in-between greys along its edge; the flat halves away from it stay as they were.
TEST(PostProcessingCapture, FxaaSoftensADiagonalAndLeavesFlatRegions)
{
    const Texture::RgbImage input = Make([](int x, int y) { return x > y + 30 ? 255 : 0; });
    const Texture::RgbImage output = RunEffect("Fxaa", input);
    ASSERT_EQ(output.rgb.size(), input.rgb.size());
    int between = 0;
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            const int grey = Grey(output, x, y);
            between += grey > 20 && grey < 235 ? 1 : 0;
            if (std::abs(x - (y + 30)) > 4)
            {
                ASSERT_EQ(grey, Grey(input, x, y)) << x << ", " << y;
            }
        }
    }
    EXPECT_GT(between, 50);
}

// Both blurs keep a flat picture flat, and turn a fine checker into an even grey of the same brightness.
TEST(PostProcessingCapture, TheBlursKeepBrightnessAndSmoothAChecker)
{
    for (const char* effect : {"Gauss", "SimpleBlur"})
    {
        SCOPED_TRACE(effect);
        const Texture::RgbImage flat = RunEffect(effect, Make([](int, int) { return 150; }));
        ASSERT_EQ(flat.rgb.size(), static_cast<std::size_t>(kWidth * kHeight * 3));
        for (const std::uint8_t value : flat.rgb)
        {
            ASSERT_NEAR(value, 150, 1);
        }
        const Texture::RgbImage checker =
            RunEffect(effect, Make([](int x, int y) { return (x / 2 + y / 2) % 2 == 0 ? 200 : 40; }));
        ASSERT_EQ(checker.rgb.size(), flat.rgb.size());
        for (int y = 20; y < kHeight - 20; ++y)
        {
            for (int x = 20; x < kWidth - 20; ++x)
            {
                ASSERT_NEAR(Grey(checker, x, y), 120, 12) << x << ", " << y;
            }
        }
    }
}

// A bright disc at the centre behind a dark bar: the shafts brighten toward the disc and the bar's
// shadow runs away from it.
TEST(PostProcessingCapture, LightShaftsComeFromTheLightAndTheOccludersCastShadows)
{
    const Texture::RgbImage input = Make(
        [](int x, int y)
        {
            const bool light = std::hypot(x - kWidth / 2, y - kHeight / 2) < 12.0;
            const bool bar = x >= 100 && x < 106 && y >= 30 && y < 70;
            return light && !bar ? 255 : (bar ? 0 : 40);
        });
    const Texture::RgbImage output = RunEffect("LightScattering", input);
    ASSERT_EQ(output.rgb.size(), input.rgb.size());
    EXPECT_LT(Grey(output, 5, 50), Grey(output, 40, 50));
    EXPECT_LT(Grey(output, 40, 50), Grey(output, 70, 50));
    // Right of the bar, in its shadow, against the same distance above it in the open.
    EXPECT_LT(Grey(output, 125, 50), Grey(output, 80, 5));
}
} // namespace
} // namespace Morvane::Capture
