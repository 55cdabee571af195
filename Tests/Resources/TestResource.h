#pragma once

#include "ParseGate.h"
#include "Resources/Resource.h"

#include <atomic>
#include <string>
#include <thread>

namespace Morvane::Resources
{
class System;
}

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
    TestResource(const std::string& name, ResourceProbe& probe);
    ~TestResource() override;

    bool Parse(const IParserData* definition) override;
    bool Initialize() override;
    void Release() override;

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
void AddTestDelegates(Resources::System& system, ResourceProbe& probe);
} // namespace Morvane::Testing
