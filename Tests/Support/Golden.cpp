#include "Support/Golden.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace Morvane::Testing
{
namespace
{
bool UpdatingGoldens()
{
    const char* update = std::getenv("MORVANE_UPDATE_GOLDENS");
    return update != nullptr && std::strcmp(update, "1") == 0;
}

bool WriteCreatingFolders(const std::filesystem::path& path, const Texture::RgbImage& image)
{
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    return Texture::WriteRgbPng(path.string(), image);
}

// Keeps the actual picture and, when there is an expected one, the diff beside it; names what it wrote.
std::string WriteFailure(const Texture::RgbImage& actual, const Texture::RgbImage* expected,
                         const std::filesystem::path& failure)
{
    std::string written;
    if (WriteCreatingFolders(failure, actual))
    {
        written += " actual: " + failure.string();
    }
    if (expected != nullptr)
    {
        std::filesystem::path diff = failure;
        diff.replace_filename(failure.stem().string() + "_diff" + failure.extension().string());
        if (Texture::WriteRgbPng(diff.string(), Texture::MakeDifferenceImage(*expected, actual)))
        {
            written += " diff: " + diff.string();
        }
    }
    return written.empty() ? " (nothing could be written under " + failure.parent_path().string() + ")"
                           : written;
}
} // namespace

::testing::AssertionResult MatchesGolden(const Texture::RgbImage& actual, const std::string& goldenName)
{
    return MatchesGolden(actual, goldenName, GoldenFolder(), MORVANE_GOLDEN_FAILURES);
}

::testing::AssertionResult MatchesGolden(const Texture::RgbImage& actual, const std::string& goldenName,
                                         const std::string& goldenFolder, const std::string& failureFolder)
{
    const std::filesystem::path golden = std::filesystem::path(goldenFolder) / goldenName;
    const std::filesystem::path failure = std::filesystem::path(failureFolder) / goldenName;
    if (UpdatingGoldens())
    {
        if (!WriteCreatingFolders(golden, actual))
        {
            return ::testing::AssertionFailure() << "cannot rewrite the golden " << golden.string();
        }
        return ::testing::AssertionSuccess() << "rewrote the golden " << golden.string();
    }
    Texture::RgbImage expected;
    std::string error;
    if (!Texture::ReadRgbPng(golden.string(), expected, error))
    {
        return ::testing::AssertionFailure()
               << "no golden " << goldenName << " (" << error << "; MORVANE_UPDATE_GOLDENS=1 writes it);"
               << WriteFailure(actual, nullptr, failure);
    }
    const Texture::ImageDifference difference = Texture::CompareImages(expected, actual);
    if (difference.equal)
    {
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult result = ::testing::AssertionFailure();
    result << goldenName << " differs: ";
    if (difference.sizeMismatch)
    {
        result << "the golden is " << expected.width << " x " << expected.height << " pixels, the actual "
               << actual.width << " x " << actual.height << ";";
    }
    else
    {
        result << difference.failingPixels << " of " << difference.pixels << " pixels differ by more than "
               << Texture::kChannelTolerance << "/255 (largest " << difference.largestChannelDifference
               << "/255);";
    }
    return result << WriteFailure(actual, &expected, failure);
}

std::string GoldenFolder()
{
    return MORVANE_GOLDEN_FOLDER;
}
} // namespace Morvane::Testing
