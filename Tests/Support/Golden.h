#pragma once

#include "Texture/ImageComparison.h"

#include <gtest/gtest.h>
#include <string>

namespace Morvane::Testing
{
// Compares `actual` in memory with the golden picture Tests/Golden/<goldenName> of the source tree (for
// example "Graphics/DebugShapes.png"). A failure writes the actual picture and <name>_diff.png under
// <build>/GoldenFailures/. With MORVANE_UPDATE_GOLDENS=1 in the environment the golden is rewritten
// instead (look at it before committing it).
::testing::AssertionResult MatchesGolden(const Texture::RgbImage& actual, const std::string& goldenName);

// The same with the golden and failure folders named, so that the helper itself can be tested.
::testing::AssertionResult MatchesGolden(const Texture::RgbImage& actual, const std::string& goldenName,
                                         const std::string& goldenFolder, const std::string& failureFolder);

// The golden folder of the source tree, ending with '/'.
std::string GoldenFolder();
} // namespace Morvane::Testing
