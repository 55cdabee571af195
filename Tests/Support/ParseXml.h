#pragma once

#include "Parsing/XMLParserData/XMLParserData.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace Morvane::Testing
{
// The data tree of an XML text; a text that does not parse fails the test.
inline std::unique_ptr<XMLParserData> ParseXml(const std::string& xml)
{
    auto root = std::make_unique<XMLParserData>();
    EXPECT_TRUE(root->FromString(xml)) << xml;
    return root;
}
} // namespace Morvane::Testing
