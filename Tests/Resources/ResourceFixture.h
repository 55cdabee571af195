#pragma once

#include "Parsing/XMLParserData/XMLParserData.h"
#include "Resources/ResourceSystem.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"
#include "TestResource.h"

#include <gtest/gtest.h>
#include <regex>
#include <string>

namespace Morvane::Testing
{
// The resource system with the test resource types plugged in; released after every test.
class ResourceFixture : public testing::Test
{
protected:
    void SetUp() override { AddTestDelegates(m_system, m_probe); }
    void TearDown() override
    {
        m_probe.gate.OpenAll();
        m_system.Release();
    }

    // Whether `message` was logged, even if the log wrapped it over several lines.
    static bool Logged(LogCapture& log, const std::string& message)
    {
        static const std::regex continuation("\n +");
        return std::regex_replace(log.Text(), continuation, "").find(message) != std::string::npos;
    }

    bool ParseText(const std::string& xml)
    {
        XMLParserData root;
        EXPECT_TRUE(root.FromString(xml));
        return m_system.Parse(&root);
    }

    Resources::System& m_system = Resources::System::GetInstance();
    ResourceProbe m_probe;
    TempDirectory m_folder;
};
} // namespace Morvane::Testing
