#pragma once

#include "ParseGate.h"
#include "Parsing/IParserData.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Resources/ResourceSystem.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>

namespace Morvane::Testing
{
// What the test resources did, counted across threads.
struct ResourceProbe
{
    std::atomic<int> created = 0;
    std::atomic<int> parsed = 0;
    std::atomic<int> initialized = 0;
    std::atomic<int> released = 0;
    std::atomic<int> destroyed = 0;
    ParseGate gate;
};

// Stands in for textures and sounds. Its definition steers it: "value" is read by Parse, "parses" and
// "initializes" (default true) make those steps fail, "throws" makes Parse throw, and "gated" holds Parse at
// the probe's gate.
class TestResource : public Resources::Resource
{
public:
    TestResource(const std::string& name, ResourceProbe& probe) : Resource(name), m_probe(probe)
    {
        ++m_probe.created;
    }
    ~TestResource() override { ++m_probe.destroyed; }

    bool Parse(const IParserData* definition) override
    {
        if (definition->GetAttributeBool("gated", false))
        {
            m_probe.gate.Pass(GetName());
        }
        m_parseThread = std::this_thread::get_id();
        m_value = definition->GetAttribute("value", "");
        m_initializes = definition->GetAttributeBool("initializes", true);
        ++m_probe.parsed;
        if (definition->GetAttributeBool("throws", false))
        {
            throw std::runtime_error("Parse of " + GetName() + " threw");
        }
        return definition->GetAttributeBool("parses", true);
    }

    bool Initialize() override
    {
        m_initializeThread = std::this_thread::get_id();
        ++m_probe.initialized;
        SetInitialized(m_initializes);
        return m_initializes;
    }

    void Release() override { ++m_probe.released; }

    const std::string& GetValue() const { return m_value; }
    std::thread::id GetParseThread() const { return m_parseThread; }
    std::thread::id GetInitializeThread() const { return m_initializeThread; }

private:
    ResourceProbe& m_probe;
    std::string m_value;
    bool m_initializes = true;
    std::thread::id m_parseThread;
    std::thread::id m_initializeThread;
};

class TestTexture final : public TestResource
{
    using TestResource::TestResource;
};

class TestSound final : public TestResource
{
    using TestResource::TestResource;
};

// Makes "Texture" definitions create TestTexture and "Sound" definitions TestSound.
inline void AddTestDelegates(Resources::System& system, ResourceProbe& probe)
{
    system.AddDelegate("Texture", [&probe](const std::string& name)
                       { return std::make_unique<TestTexture>(name, probe); });
    system.AddDelegate("Sound", [&probe](const std::string& name)
                       { return std::make_unique<TestSound>(name, probe); });
}

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
