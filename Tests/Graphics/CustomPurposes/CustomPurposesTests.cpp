#include "Graphics/CustomPurposes/CustomPurposes.h"

#include <gtest/gtest.h>

namespace
{
// Shaders name purposes by text and stored data relies on the ids: the first, the last of the
// lighting ones, and those the post-processing kinds add after the table's end.
TEST(CustomPurposes, TextsMapToTheirFixedIdsAndUnknownTextsToMinusOne)
{
    for (const auto& [text, id] : {std::pair{"GaussianWeights", 0}, std::pair{"LightDirection_View", 21},
                                   std::pair{"AmbientTerm", 33}, std::pair{"LightScatteringDensity", 37},
                                   std::pair{"LightScatteringWeight", 38}, std::pair{"DetectionTexture", 39},
                                   std::pair{"EdgeDetectionViewMatrix", 40}, std::pair{"BlurSize", 41}})
    {
        EXPECT_EQ(IdentifyCustomPurpose(text), id) << text;
    }
    EXPECT_EQ(IdentifyCustomPurpose("ambientTerm"), -1);
    EXPECT_EQ(IdentifyCustomPurpose(""), -1);
}
} // namespace
