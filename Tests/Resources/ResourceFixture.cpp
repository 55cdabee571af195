#include "ResourceFixture.h"

#include "Parsing/XMLParserData/XMLParserData.h"

#include <regex>

namespace Morvane::Testing
{
bool ResourceFixture::Logged(LogCapture& log, const std::string& message)
{
    static const std::regex continuation("\n +");
    return std::regex_replace(log.Text(), continuation, "").find(message) != std::string::npos;
}

bool ResourceFixture::ParseText(const std::string& xml)
{
    XMLParserData root;
    EXPECT_TRUE(root.FromString(xml));
    return m_system.Parse(&root);
}
} // namespace Morvane::Testing
