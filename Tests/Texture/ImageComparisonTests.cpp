#include "Support/Golden.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"

#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <lodepng.h>
#include <string>

namespace Morvane::Texture
{
namespace
{
using testing::HasSubstr;

RgbImage Filled(int width, int height, std::uint8_t value)
{
    return RgbImage{width, height,
                    std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 3, value)};
}

void SetChannel(RgbImage& image, int pixel, int channel, std::uint8_t value)
{
    image.rgb[std::size_t(pixel) * 3 + std::size_t(channel)] = value;
}

TEST(ImageComparison, FiveStepsInAChannelPassAndSixFailAPixelWhichOneInAThousandMayDo)
{
    const RgbImage expected = Filled(100, 20, 100);
    RgbImage actual = expected;
    for (int pixel = 0; pixel < 2000; ++pixel)
    {
        SetChannel(actual, pixel, pixel % 3, pixel % 2 == 0 ? 105 : 95);
    }
    ImageDifference difference = CompareImages(expected, actual);
    EXPECT_TRUE(difference.equal);
    EXPECT_FALSE(difference.sizeMismatch);
    EXPECT_EQ(difference.failingPixels, 0u);
    EXPECT_EQ(difference.pixels, 2000u);
    EXPECT_EQ(difference.largestChannelDifference, 5);

    // Two failing pixels of 2,000 are exactly the 0.1 % allowed; a third is one too many.
    SetChannel(actual, 7, 2, 106);
    SetChannel(actual, 1999, 0, 94);
    difference = CompareImages(expected, actual);
    EXPECT_TRUE(difference.equal);
    EXPECT_EQ(difference.failingPixels, 2u);
    EXPECT_EQ(difference.largestChannelDifference, 6);
    SetChannel(actual, 1000, 1, 0);
    difference = CompareImages(expected, actual);
    EXPECT_FALSE(difference.equal);
    EXPECT_EQ(difference.failingPixels, 3u);
    EXPECT_EQ(difference.largestChannelDifference, 100);
}

TEST(ImageComparison, ImagesOfOtherSizesOrWithTheWrongByteCountAreNeverEqual)
{
    for (const RgbImage& actual :
         {Filled(4, 5, 0), Filled(5, 4, 0), RgbImage{4, 4, std::vector<std::uint8_t>(47, 0)}, RgbImage{}})
    {
        const ImageDifference difference = CompareImages(Filled(4, 4, 0), actual);
        EXPECT_FALSE(difference.equal) << actual.width << " x " << actual.height;
        EXPECT_TRUE(difference.sizeMismatch);
        EXPECT_EQ(difference.failingPixels, 0u);
    }
    EXPECT_TRUE(CompareImages(RgbImage{}, RgbImage{}).equal) << "two empty pictures are the same";
}

TEST(ImageComparison, TheDiffShowsFailingPixelsRedOverTheDimmedExpectedAndCoversBothSizes)
{
    RgbImage expected = Filled(2, 1, 200);
    SetChannel(expected, 1, 1, 40);
    RgbImage actual = expected;
    SetChannel(actual, 0, 2, 0);
    RgbImage diff = MakeDifferenceImage(expected, actual);
    EXPECT_EQ(diff.width, 2);
    EXPECT_EQ(diff.height, 1);
    EXPECT_EQ(diff.rgb, (std::vector<std::uint8_t>{255, 0, 0, 50, 10, 50}));

    // Rows run from the top: a 2 x 1 against a 1 x 2 compares only the top-left pixel.
    diff = MakeDifferenceImage(Filled(2, 1, 40), Filled(1, 2, 40));
    EXPECT_EQ(diff.width, 2);
    EXPECT_EQ(diff.height, 2);
    EXPECT_EQ(diff.rgb, (std::vector<std::uint8_t>{10, 10, 10, 255, 0, 0, 255, 0, 0, 255, 0, 0}));
}

TEST(ImageComparison, PngFilesRoundTripReadAnyColourTypeAsRgbAndNameTheirProblems)
{
    const Testing::TempDirectory folder;
    RgbImage picture = Filled(3, 2, 0);
    for (std::size_t at = 0; at < picture.rgb.size(); ++at)
    {
        picture.rgb[at] = std::uint8_t(at * 13);
    }
    ASSERT_TRUE(WriteRgbPng(folder.Path() + "a.png", picture));
    RgbImage read;
    std::string error;
    ASSERT_TRUE(ReadRgbPng(folder.Path() + "a.png", read, error)) << error;
    EXPECT_EQ(read.width, 3);
    EXPECT_EQ(read.height, 2);
    EXPECT_EQ(read.rgb, picture.rgb);

    // Top row red (half transparent), bottom row grey: alpha is dropped, rows stay top first.
    const std::vector<unsigned char> greyAlpha = {255, 0, 0, 128, 9, 9, 9, 255};
    ASSERT_EQ(lodepng::encode(folder.Path() + "b.png", greyAlpha, 1, 2, LCT_RGBA), 0u);
    ASSERT_TRUE(ReadRgbPng(folder.Path() + "b.png", read, error)) << error;
    EXPECT_EQ(read.rgb, (std::vector<std::uint8_t>{255, 0, 0, 9, 9, 9}));

    EXPECT_FALSE(ReadRgbPng(folder.Path() + "missing.png", read, error));
    EXPECT_THAT(error, HasSubstr("cannot read '" + folder.Path() + "missing.png'"));
    EXPECT_FALSE(ReadRgbPng(folder.Write("c.png", "not a picture"), read, error));
    EXPECT_THAT(error, HasSubstr("is not a readable PNG"));

    EXPECT_FALSE(WriteRgbPng(folder.Path() + "d.png", RgbImage{}));
    EXPECT_FALSE(WriteRgbPng(folder.Path() + "e.png", RgbImage{2, 2, std::vector<std::uint8_t>(3, 0)}));
    EXPECT_FALSE(WriteRgbPng(folder.Path() + "no/such/folder.png", picture));
}

class GoldenHelper : public testing::Test
{
protected:
    void TearDown() override { unsetenv("MORVANE_UPDATE_GOLDENS"); }

    Testing::TempDirectory m_folder;
    std::string m_goldens = m_folder.Path() + "Golden/";
    std::string m_failures = m_folder.Path() + "Failures/";
};

TEST_F(GoldenHelper, WritesGoldensOnlyWhenAskedAndKeepsTheActualAndDiffOfAFailure)
{
    RgbImage picture = Filled(40, 30, 90);
    const std::string name = "Room/Corner.png";
    ::testing::AssertionResult missing = Testing::MatchesGolden(picture, name, m_goldens, m_failures);
    EXPECT_FALSE(missing);
    EXPECT_THAT(missing.message(), HasSubstr("MORVANE_UPDATE_GOLDENS=1"));
    EXPECT_TRUE(std::filesystem::exists(m_failures + name));
    EXPECT_FALSE(std::filesystem::exists(m_goldens + name));

    setenv("MORVANE_UPDATE_GOLDENS", "1", 1);
    EXPECT_TRUE(Testing::MatchesGolden(picture, name, m_goldens, m_failures));
    unsetenv("MORVANE_UPDATE_GOLDENS");
    EXPECT_TRUE(Testing::MatchesGolden(picture, name, m_goldens, m_failures));

    SetChannel(picture, 0, 0, 0);
    SetChannel(picture, 1, 0, 0);
    const ::testing::AssertionResult changed = Testing::MatchesGolden(picture, name, m_goldens, m_failures);
    EXPECT_FALSE(changed);
    EXPECT_THAT(changed.message(), HasSubstr("2 of 1200 pixels differ by more than 5/255 (largest 90/255)"));
    RgbImage written;
    std::string error;
    ASSERT_TRUE(ReadRgbPng(m_failures + name, written, error)) << error;
    EXPECT_EQ(written.rgb, picture.rgb);
    ASSERT_TRUE(ReadRgbPng(m_failures + "Room/Corner_diff.png", written, error)) << error;
    EXPECT_EQ(written.rgb, MakeDifferenceImage(Filled(40, 30, 90), picture).rgb);

    EXPECT_THAT(Testing::MatchesGolden(Filled(30, 40, 90), name, m_goldens, m_failures).message(),
                HasSubstr("the golden is 40 x 30 pixels, the actual 30 x 40"));
    EXPECT_THAT(Testing::GoldenFolder(), testing::EndsWith("/Tests/Golden/"));
}

class ImageDiffTool : public testing::Test
{
protected:
    Testing::ToolResult Run(const std::string& arguments)
    {
        return Testing::RunTool("morvane-imagediff", arguments, "2>&1");
    }
    std::string Write(const std::string& name, const RgbImage& image)
    {
        const std::string path = m_folder.Path() + name;
        EXPECT_TRUE(WriteRgbPng(path, image));
        return "'" + path + "'";
    }

    Testing::TempDirectory m_folder;
};

TEST_F(ImageDiffTool, ExitsZeroForEqualOneForDifferentAndTwoForABadCommandLineOrFile)
{
    RgbImage changed = Filled(40, 25, 30);
    SetChannel(changed, 5, 1, 36);
    const std::string expected = Write("expected.png", Filled(40, 25, 30));
    Testing::ToolResult result = Run(expected + " " + Write("near.png", changed));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("equal: 1 of 1000 pixels differ by more than 5/255, the largest "
                                         "difference is 6/255"));

    SetChannel(changed, 6, 0, 255);
    const std::string diff = m_folder.Path() + "diff.png";
    result = Run(expected + " " + Write("far.png", changed) + " '" + diff + "'");
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_THAT(result.output, HasSubstr("different: 2 of 1000 pixels differ by more than 5/255, the largest "
                                         "difference is 225/255"));
    RgbImage written;
    std::string error;
    ASSERT_TRUE(ReadRgbPng(diff, written, error)) << error;
    EXPECT_EQ(written.rgb, MakeDifferenceImage(Filled(40, 25, 30), changed).rgb);

    result = Run(expected + " " + Write("small.png", Filled(20, 25, 30)));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.output, HasSubstr("the expected picture is 40 x 25 pixels, the actual 20 x 25"));

    for (const std::string& arguments :
         {std::string(), expected, expected + " " + expected + " a.png b.png",
          expected + " '" + m_folder.Path() + "missing.png'",
          expected + " " + expected + " '" + m_folder.Path() + "no/folder/diff.png'"})
    {
        result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments << ": " << result.output;
    }
    EXPECT_THAT(Run(expected + " '" + m_folder.Path() + "missing.png'").output, HasSubstr("cannot read"));
}
} // namespace
} // namespace Morvane::Texture
