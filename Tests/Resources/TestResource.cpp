#include "TestResource.h"

#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"

#include <memory>
#include <stdexcept>

namespace Morvane::Testing
{
TestResource::TestResource(const std::string& name, ResourceProbe& probe) : Resource(name), m_probe(probe)
{
    ++m_probe.created;
}

TestResource::~TestResource()
{
    ++m_probe.destroyed;
}

bool TestResource::Parse(const IParserData* definition)
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

bool TestResource::Initialize()
{
    m_initializeThread = std::this_thread::get_id();
    ++m_probe.initialized;
    SetInitialized(m_initializes);
    return m_initializes;
}

void TestResource::Release()
{
    ++m_probe.released;
}

void AddTestDelegates(Resources::System& system, ResourceProbe& probe)
{
    system.AddDelegate("Texture", [&probe](const std::string& name)
                       { return std::make_unique<TestTexture>(name, probe); });
    system.AddDelegate("Sound", [&probe](const std::string& name)
                       { return std::make_unique<TestSound>(name, probe); });
}
} // namespace Morvane::Testing
