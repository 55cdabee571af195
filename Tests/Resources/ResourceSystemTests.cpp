#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/SystemManager.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <semaphore>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace Morvane::Testing
{
using namespace std::chrono_literals;

struct ResourceProbe
{
    std::atomic<int> created = 0, parsed = 0, initialized = 0, released = 0, destroyed = 0;
    // A "gated" resource counts its arrival at the start of Parse, then waits there for a pass, so that
    // a test can see the load thread in the middle of a batch.
    std::atomic<int> arrivals = 0;
    std::counting_semaphore<> passes{0};
};

// Stands in for textures and sounds. Its definition steers it: "value" is read by Parse, "parses" and
// "initializes" make those steps fail, "throws" makes Parse throw, and "gated" waits in Parse for a pass.
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
            ++m_probe.arrivals;
            m_probe.passes.acquire();
        }
        parseThread = std::this_thread::get_id();
        value = definition->GetAttribute("value", "");
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
        initializeThread = std::this_thread::get_id();
        ++m_probe.initialized;
        SetInitialized(m_initializes);
        return m_initializes;
    }
    void Release() override { ++m_probe.released; }

    std::string value;
    std::thread::id parseThread, initializeThread;

private:
    ResourceProbe& m_probe;
    bool m_initializes = true;
};

class TestTexture final : public TestResource
{
    using TestResource::TestResource;
};

class TestSound final : public TestResource
{
    using TestResource::TestResource;
};

namespace
{
const std::string kTextureType = "Morvane::Testing::TestTexture";
const std::string kSoundType = "Morvane::Testing::TestSound";

// The resource system with "Texture" and "Sound" made of the test resources; released after every test.
class ResourceFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        m_system.AddDelegate("Texture", [this](const std::string& name)
                             { return std::make_unique<TestTexture>(name, m_probe); });
        m_system.AddDelegate("Sound", [this](const std::string& name)
                             { return std::make_unique<TestSound>(name, m_probe); });
    }
    void TearDown() override
    {
        m_probe.passes.release(3); // one for each gated resource, so that the load thread can be joined
        m_system.Release();
    }

    bool ParseText(const std::string& xml) { return m_system.Parse(ParseXml(xml).get()); }

    Resources::System& m_system = Resources::System::GetInstance();
    ResourceProbe m_probe;
    TempDirectory m_folder;
};

using ResourceDefinitions = ResourceFixture;

class ResourceRequests : public ResourceFixture
{
protected:
    void SetUp() override
    {
        ResourceFixture::SetUp();
        ASSERT_TRUE(ParseText(R"(<ResourceSystem>
            <Texture name="wall" value="stone"/><Mystery name="riddle"/>
            <Texture name="unparseable" parses="false"/><Texture name="uninitializable" initializes="false"/>
        </ResourceSystem>)"));
    }
};

TEST_F(ResourceDefinitions, ReadsSectionsPacksAndAFileNamedByPath)
{
    PathWrapper::GetInstance().AddPath("ResourceFolder", m_folder.Path());
    m_folder.Write("Sounds.xml", R"(<Pack><Sound name="step" value="gravel"/></Pack>)");
    m_folder.Write("Resources.xml",
                   R"(<ResourceSystem><Section><Section><Texture name="wall"/></Section></Section>
        <Pack name="Sounds" path="$(ResourceFolder)Sounds.xml"/></ResourceSystem>)");
    ASSERT_TRUE(ParseText(R"(<ResourceSystem path="$(ResourceFolder)Resources.xml"/>)"));
    EXPECT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
    const TestSound* step = m_system.GetResource<TestSound>("step");
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->value, "gravel");
}

TEST_F(ResourceDefinitions, BadDefinitionStopsTheParseWithItsMessages)
{
    const std::string dir = m_folder.Path();
    m_folder.Write("First.xml", R"(<Pack><Texture name="wall" value="stone"/></Pack>)");
    m_folder.Write("Second.xml", R"(<Pack><Texture name="wall" value="brick"/></Pack>)");
    m_folder.Write("Loop.xml", "<Pack><Pack name='Again' path='" + dir + "Loop.xml'/></Pack>");
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"<Texture name='before'/><Section><Texture value='anonymous'/></Section>",
         {"No named resource", "Could not parse section: 'Section'"}},
        {"<Pack name='Ghosts' path='" + dir + "Nowhere.xml'/>", {"Could not parse section: 'Ghosts'"}},
        {"<Pack name='Loop' path='" + dir + "Loop.xml'/>",
         {"Resource file '" + dir + "Loop.xml' includes itself", "Could not parse section: 'Loop'"}},
        {"<Pack name='One' path='" + dir + "First.xml'/><Pack name='Two' path='" + dir + "Second.xml'/>",
         {"Trying to set a duplicated definition of resource 'wall'", "Could not parse section: 'Two'"}},
    };
    for (const auto& [body, messages] : cases)
    {
        m_system.Release();
        LogCapture log;
        EXPECT_FALSE(ParseText("<ResourceSystem>" + body + "</ResourceSystem>")) << body;
        for (const std::string& message : messages)
        {
            EXPECT_TRUE(log.ContainsWrapped(message)) << message;
        }
    }
    // The refused duplicate left the first definition in place.
    const TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->value, "stone");
}

TEST_F(ResourceRequests, FailedRequestLogsAndLeavesNothingAlive)
{
    const std::vector<std::tuple<std::string, bool, std::string, int>> cases = {
        {"ghost", false, "Resource definition not found for 'ghost' of type '" + kTextureType + "'", 0},
        {"riddle", false, "Resource tag 'Mystery' not found, could not derive to delegate", 0},
        {"wall", true,
         "Could not convert 'wall' from type '" + kTextureType + "' to type '" + kSoundType + "'", 0},
        {"unparseable", false,
         "Could not load resource definition 'unparseable' of type '" + kTextureType + "'", 1},
        {"uninitializable", false,
         "Could not initialize resource 'uninitializable' of type '" + kTextureType + "'", 1},
    };
    for (const auto& [name, asSound, message, releases] : cases)
    {
        const int released = m_probe.released;
        for (int request = 0; request < 2; ++request)
        {
            LogCapture log;
            EXPECT_FALSE(asSound ? m_system.GetResource<TestSound>(name) != nullptr
                                 : m_system.GetResource<TestTexture>(name) != nullptr)
                << name;
            EXPECT_TRUE(log.ContainsWrapped(message)) << message;
        }
        EXPECT_EQ(m_probe.released - released, 2 * releases) << name;
        EXPECT_EQ(m_probe.created, m_probe.destroyed) << name;
    }
    EXPECT_EQ(m_probe.initialized, 2);
}

TEST_F(ResourceRequests, LoadsAtOnceAndSurvivesAWrongTypeAndAnUnknownUnload)
{
    LogCapture log;
    TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_TRUE(wall->IsInitialized());
    EXPECT_EQ(wall->value, "stone");
    EXPECT_EQ(m_system.GetLoadingCount(), 0);
    EXPECT_EQ(m_system.GetResource<TestSound>("wall"), nullptr);
    m_system.UnloadResource("ghost");
    EXPECT_TRUE(log.Contains("Could not find resource 'ghost'"));
    EXPECT_TRUE(log.Contains("Resource initialized successfully ['wall']"));
    EXPECT_EQ(m_system.GetResource<Resources::Resource>("wall"), wall);

    m_system.UnloadResource("wall");
    EXPECT_EQ(m_probe.released, 1);
    EXPECT_EQ(m_probe.destroyed, 1);
    EXPECT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
    EXPECT_EQ(m_probe.created, 2);
}

// Unloads what it made when it is released, as a font does its page textures.
class MakerResource final : public TestResource
{
public:
    using TestResource::TestResource;
    void Release() override
    {
        TestResource::Release();
        Resources::System& system = Resources::System::GetInstance();
        if (system.HasResource("made"))
        {
            system.UnloadResource("made");
        }
    }
};

// A resource made in code is kept and found by its name like a defined one; a taken name refuses it;
// and the system's release lets a resource unload those it made, whatever their order.
TEST_F(ResourceRequests, ResourcesMadeInCodeAreKeptByNameAndMayBeUnloadedByTheirMaker)
{
    LogCapture log;
    auto made = std::make_unique<TestTexture>("made", m_probe);
    TestTexture* kept = made.get();
    ASSERT_TRUE(m_system.AddResource(std::move(made)));
    EXPECT_TRUE(m_system.HasResource("made"));
    EXPECT_EQ(m_system.GetResource<TestTexture>("made"), kept);
    EXPECT_FALSE(m_system.AddResource(std::make_unique<TestTexture>("made", m_probe)));
    EXPECT_EQ(m_probe.destroyed, 1) << "the refused one";
    EXPECT_FALSE(m_system.HasResource("wall")) << "a definition is not a resource until requested";

    ASSERT_TRUE(m_system.AddResource(std::make_unique<MakerResource>("a_maker", m_probe)));
    ASSERT_TRUE(m_system.AddResource(std::make_unique<MakerResource>("z_maker", m_probe)));
    m_system.Release();
    EXPECT_EQ(m_probe.destroyed, m_probe.created);
    EXPECT_FALSE(m_system.HasResource("made"));
    // The log is read once, at the end.
    const std::string& text = log.Text();
    EXPECT_NE(text.find("A resource named 'made' already exists"), std::string::npos) << text;
    EXPECT_EQ(text.find("Could not find resource"), std::string::npos) << text;
}

TEST(ResourceSystemRegistration, IsKnownToTheSystemManagerAsResourceSystem)
{
    EXPECT_EQ(SystemManager::GetInstance().FindSystem("ResourceSystem"), &Resources::System::GetInstance());
}

template <class Condition> bool Eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition() && std::chrono::steady_clock::now() < deadline)
    {
        std::this_thread::sleep_for(1ms);
    }
    return condition();
}

// Counts the load threads alive in the process by name. A joined thread can linger in the thread list
// for a moment while the kernel finishes its exit, so the count is allowed to settle.
bool LoadThreadsSettleAt(int expected)
{
    return Eventually(
        [&]
        {
            int count = 0;
            for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
            {
                std::string name;
                std::getline(std::ifstream(task.path() / "comm"), name);
                count += name == Resources::LoadThread::kThreadName ? 1 : 0;
            }
            return count == expected;
        });
}

class ResourceSystemThreaded : public ResourceFixture
{
protected:
    void SetUp() override
    {
        ResourceFixture::SetUp();
        ASSERT_TRUE(ParseText(R"(<ResourceSystem>
            <Texture name="wall" multiThreaded="true"/><Texture name="first" gated="true" multiThreaded="true"/>
            <Texture name="second" gated="true" multiThreaded="true"/>
            <Texture name="third" gated="true" multiThreaded="true"/>
            <Texture name="broken" parses="false" multiThreaded="true"/>
            <Texture name="stubborn" initializes="false" multiThreaded="true"/>
            <Texture name="throwing" throws="true" multiThreaded="true"/></ResourceSystem>)"));
        m_system.Initialize();
    }

    bool WaitForArrivals(int arrivals)
    {
        return Eventually([&] { return m_probe.arrivals == arrivals; });
    }
    // Waits until `parses` resources went through Parse and the batch is done.
    bool WaitForParses(int parses)
    {
        return Eventually([&] { return m_probe.parsed == parses && m_system.GetLoadingCount() == 0; });
    }
};

TEST_F(ResourceSystemThreaded, RequestedTwiceIsCreatedOnceAndTheLoadingCountIsTheBatchSize)
{
    EXPECT_EQ(m_system.GetLoadingCount(), 0);
    EXPECT_EQ(m_system.GetPendingCount(), 0);
    LogCapture log;
    TestTexture* first = m_system.GetResource<TestTexture>("first");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(m_system.GetResource<TestTexture>("first"), first);
    EXPECT_EQ(m_probe.created, 1);
    ASSERT_TRUE(WaitForArrivals(1));
    EXPECT_EQ(m_system.GetLoadingCount(), 1);

    // Queued while "first" is parsing, so they make the next batch together.
    ASSERT_NE(m_system.GetResource<TestTexture>("second"), nullptr);
    ASSERT_NE(m_system.GetResource<TestTexture>("third"), nullptr);
    EXPECT_EQ(m_system.GetLoadingCount(), 1);
    // The loading count knows only the batch being parsed; the pending count also what waits behind it.
    EXPECT_EQ(m_system.GetPendingCount(), 3);
    m_probe.passes.release();
    ASSERT_TRUE(WaitForArrivals(2));
    EXPECT_EQ(m_system.GetLoadingCount(), 2);
    EXPECT_EQ(m_system.GetPendingCount(), 3);
    m_probe.passes.release(2);
    ASSERT_TRUE(WaitForParses(3));
    EXPECT_FALSE(first->IsInitialized());
    // Parsed but not initialised yet: still pending, though no longer loading.
    EXPECT_EQ(m_system.GetPendingCount(), 3);

    // Parsed on the load thread, initialised by the next frame on this one.
    m_system.Update(0.016f);
    EXPECT_EQ(m_system.GetPendingCount(), 0);
    EXPECT_EQ(m_probe.initialized, 3);
    EXPECT_TRUE(first->IsInitialized());
    EXPECT_NE(first->parseThread, std::this_thread::get_id());
    EXPECT_EQ(first->initializeThread, std::this_thread::get_id());
    // Queued, parsed, then told a success once it is one.
    const std::size_t queued = log.Text().find("Resource queued ['first']");
    const std::size_t parsed = log.Text().find("Resource 'first' parsed");
    const std::size_t initialized = log.Text().find("Resource initialized successfully ['first']");
    ASSERT_NE(initialized, std::string::npos);
    EXPECT_LT(queued, parsed);
    EXPECT_LT(parsed, initialized);
}

TEST_F(ResourceSystemThreaded, FailuresLeaveTheResourceRegisteredAndUninitialised)
{
    LogCapture log;
    TestTexture* broken = m_system.GetResource<TestTexture>("broken");
    TestTexture* stubborn = m_system.GetResource<TestTexture>("stubborn");
    ASSERT_TRUE(WaitForParses(2));
    // A failed parse is done: only "stubborn" waits for its initialisation.
    EXPECT_EQ(m_system.GetPendingCount(), 1);
    m_system.Update(0.016f);
    m_system.Update(0.016f);
    TestTexture* throwing = m_system.GetResource<TestTexture>("throwing");
    ASSERT_TRUE(WaitForParses(3));
    // An exception thrown on the load thread is rethrown on the main thread, once.
    EXPECT_THROW(m_system.Update(0.016f), std::runtime_error);
    EXPECT_NO_THROW(m_system.Update(0.016f));

    EXPECT_TRUE(log.Contains("Load thread: Resource 'broken' could not be loaded"));
    // Nothing that failed was ever reported as a success.
    EXPECT_FALSE(log.Contains("Resource initialized successfully"));
    EXPECT_TRUE(log.Contains("Resource 'stubborn' could not be initialized"));
    EXPECT_TRUE(log.Contains("Load thread: Resource 'throwing' could not be loaded"));
    EXPECT_EQ(m_probe.initialized, 1);
    for (TestTexture* failed : {broken, stubborn, throwing})
    {
        EXPECT_EQ(m_system.GetResource<TestTexture>(failed->GetName()), failed);
        EXPECT_FALSE(failed->IsInitialized());
    }
    m_system.Release();
    EXPECT_EQ(m_probe.released, 3);
    EXPECT_EQ(m_probe.destroyed, 3);
}

TEST_F(ResourceSystemThreaded, UnloadAtEveryStageKeepsTheThreadAwayFromFreedResources)
{
    ASSERT_NE(m_system.GetResource<TestTexture>("first"), nullptr);
    ASSERT_TRUE(WaitForArrivals(1));
    for (const char* name : {"second", "wall", "third"})
    {
        ASSERT_NE(m_system.GetResource<TestTexture>(name), nullptr);
    }

    m_system.UnloadResource("third"); // still queued
    EXPECT_EQ(m_probe.destroyed, 1);
    {
        const std::jthread opener(
            [this]
            {
                std::this_thread::sleep_for(20ms);
                m_probe.passes.release();
            });
        m_system.UnloadResource("first");
        EXPECT_EQ(m_probe.parsed, 1) << "the unload waited for the parse in progress";
    }
    EXPECT_EQ(m_probe.destroyed, 2);

    // The next batch is "second", held in its parse, and "wall" behind it.
    ASSERT_TRUE(WaitForArrivals(2));
    EXPECT_EQ(m_system.GetLoadingCount(), 2);
    m_system.UnloadResource("wall"); // in the batch being parsed
    EXPECT_EQ(m_system.GetLoadingCount(), 1);
    m_probe.passes.release();
    ASSERT_TRUE(WaitForParses(2));
    m_system.UnloadResource("second"); // parsed, waiting for its initialisation
    m_system.Update(0.016f);
    EXPECT_EQ(m_probe.initialized, 0);
    EXPECT_EQ(m_probe.released, 4);
    EXPECT_EQ(m_probe.destroyed, 4);
}

TEST_F(ResourceSystemThreaded, ReleaseAndInitializeAHundredTimesKeepsOneLoadThread)
{
    for (int round = 0; round < 100; ++round)
    {
        m_system.Release();
        ASSERT_TRUE(ParseText(R"(<ResourceSystem>
            <Texture name="a" multiThreaded="true"/><Texture name="b" multiThreaded="true"/>
            <Sound name="c" multiThreaded="true"/><Texture name="d" parses="false" multiThreaded="true"/>
            <Sound name="e"/></ResourceSystem>)"));
        m_system.Initialize();
        m_system.Initialize();
        ASSERT_TRUE(LoadThreadsSettleAt(1)) << "round " << round;
        for (const char* name : {"a", "b", "c", "d", "e"})
        {
            m_system.GetResource<Resources::Resource>(name);
        }
        if (round % 2 == 0)
        {
            m_system.Update(0.016f);
            m_system.UnloadResource("b");
        }
    }
    m_system.Release();
    EXPECT_TRUE(LoadThreadsSettleAt(0));
    EXPECT_EQ(m_probe.created, 500);
    EXPECT_EQ(m_probe.destroyed, 500);
    EXPECT_EQ(m_probe.released, 500);
}
} // namespace
} // namespace Morvane::Testing
