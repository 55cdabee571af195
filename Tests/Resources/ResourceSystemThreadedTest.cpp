#include "Parsing/XMLParserData/XMLParserData.h"
#include "ResourceFixture.h"
#include "Support/LogCapture.h"
#include "SystemManager/ISystem.h"
#include "SystemManager/SystemManager.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace Morvane::Testing
{
namespace
{
using namespace std::chrono_literals;

// Load threads alive in the process, found by name.
int CountLoadThreads()
{
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
    {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        count += name == Resources::LoadThread::kThreadName ? 1 : 0;
    }
    return count;
}

// Polls `condition` for up to ten seconds.
template <class Condition> bool Eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A joined thread can linger in the thread list for a moment while the kernel finishes its exit, so the
// count is allowed to settle; a thread left running never would.
bool LoadThreadsSettleAt(int expected)
{
    return Eventually([&] { return CountLoadThreads() == expected; });
}

class ResourceSystemThreaded : public ResourceFixture
{
protected:
    void SetUp() override
    {
        ResourceFixture::SetUp();
        ASSERT_TRUE(ParseText(R"(<ResourceSystem>
            <Texture name="wall" value="stone" multiThreaded="true"/>
            <Texture name="first" gated="true" multiThreaded="true"/>
            <Texture name="second" gated="true" multiThreaded="true"/>
            <Texture name="third" gated="true" multiThreaded="true"/>
            <Texture name="fourth" gated="true" multiThreaded="true"/>
            <Texture name="broken" parses="false" multiThreaded="true"/>
            <Texture name="stubborn" initializes="false" multiThreaded="true"/>
            <Texture name="throwing" throws="true" multiThreaded="true"/>
        </ResourceSystem>)"));
    }

    // Runs frames until `resource` is initialised.
    bool FinishLoading(const Resources::Resource& resource)
    {
        return Eventually(
            [&]
            {
                m_system.Update(0.016f);
                return resource.IsInitialized();
            });
    }

    // Waits until `parses` resources went through Parse and the batch is done.
    bool WaitForParses(int parses)
    {
        return Eventually([&] { return m_probe.parsed == parses && m_system.GetLoadingCount() == 0; });
    }
};

TEST_F(ResourceSystemThreaded, RequestedTwiceInOneFrameIsCreatedOnce)
{
    m_system.Initialize();
    LogCapture log;
    TestTexture* wall = m_system.GetResource<TestTexture>("wall");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(m_system.GetResource<TestTexture>("wall"), wall);
    EXPECT_EQ(m_probe.created, 1);
    EXPECT_FALSE(wall->IsInitialized());

    ASSERT_TRUE(FinishLoading(*wall));
    EXPECT_EQ(m_probe.parsed, 1);
    EXPECT_EQ(m_probe.initialized, 1);
    EXPECT_EQ(wall->GetValue(), "stone");
    EXPECT_NE(wall->GetParseThread(), std::this_thread::get_id());
    EXPECT_EQ(wall->GetInitializeThread(), std::this_thread::get_id());
    EXPECT_TRUE(log.Contains("Resource initialized successfully ['wall']"));
    EXPECT_TRUE(log.Contains("Resource 'wall' parsed"));
}

TEST_F(ResourceSystemThreaded, LoadingCountIsTheBatchSizeFallingToZero)
{
    m_system.Initialize();
    EXPECT_EQ(m_system.GetLoadingCount(), 0);

    ASSERT_NE(m_system.GetResource<TestTexture>("first"), nullptr);
    ASSERT_TRUE(m_probe.gate.WaitForArrival("first"));
    EXPECT_EQ(m_system.GetLoadingCount(), 1);

    // Queued while "first" is parsing, so they make the next batch together.
    for (const char* name : {"second", "third", "fourth"})
    {
        ASSERT_NE(m_system.GetResource<TestTexture>(name), nullptr);
    }
    EXPECT_EQ(m_system.GetLoadingCount(), 1);
    m_probe.gate.Open("first");

    ASSERT_TRUE(m_probe.gate.WaitForArrival("second"));
    EXPECT_EQ(m_system.GetLoadingCount(), 3);
    m_probe.gate.Open("second");
    ASSERT_TRUE(m_probe.gate.WaitForArrival("third"));
    EXPECT_EQ(m_system.GetLoadingCount(), 2);
    m_probe.gate.Open("third");
    ASSERT_TRUE(m_probe.gate.WaitForArrival("fourth"));
    EXPECT_EQ(m_system.GetLoadingCount(), 1);
    m_probe.gate.Open("fourth");
    EXPECT_TRUE(WaitForParses(4));

    m_system.Update(0.016f);
    EXPECT_EQ(m_probe.initialized, 4);
}

TEST_F(ResourceSystemThreaded, ResourceFailingOnTheLoadThreadStaysRegisteredAndUninitialised)
{
    m_system.Initialize();
    LogCapture log;
    TestTexture* broken = m_system.GetResource<TestTexture>("broken");
    ASSERT_NE(broken, nullptr);
    ASSERT_TRUE(WaitForParses(1));
    m_system.Update(0.016f);
    m_system.Update(0.016f);

    EXPECT_TRUE(log.Contains("Load thread: Resource 'broken' could not be loaded"));
    EXPECT_FALSE(broken->IsInitialized());
    EXPECT_EQ(m_probe.initialized, 0);
    EXPECT_EQ(m_system.GetResource<TestTexture>("broken"), broken);
    EXPECT_EQ(m_probe.parsed, 1);

    m_system.Release();
    EXPECT_EQ(m_probe.released, 1);
    EXPECT_EQ(m_probe.destroyed, 1);
}

TEST_F(ResourceSystemThreaded, ExceptionFromAParseOnTheLoadThreadReachesTheMainThread)
{
    m_system.Initialize();
    LogCapture log;
    TestTexture* throwing = m_system.GetResource<TestTexture>("throwing");
    ASSERT_TRUE(WaitForParses(1));

    EXPECT_THROW(m_system.Update(0.016f), std::runtime_error);
    EXPECT_NO_THROW(m_system.Update(0.016f));
    EXPECT_TRUE(log.Contains("Load thread: Resource 'throwing' could not be loaded"));
    EXPECT_EQ(m_system.GetResource<TestTexture>("throwing"), throwing);
    EXPECT_FALSE(throwing->IsInitialized());
}

TEST_F(ResourceSystemThreaded, InitializeFailureOnTheMainThreadIsLoggedAndKept)
{
    m_system.Initialize();
    LogCapture log;
    TestTexture* stubborn = m_system.GetResource<TestTexture>("stubborn");
    ASSERT_TRUE(Eventually(
        [&]
        {
            m_system.Update(0.016f);
            return m_probe.initialized == 1;
        }));
    EXPECT_TRUE(log.Contains("Resource 'stubborn' could not be initialized"));
    EXPECT_EQ(m_system.GetResource<TestTexture>("stubborn"), stubborn);
    EXPECT_FALSE(stubborn->IsInitialized());
}

TEST_F(ResourceSystemThreaded, ResourcesQueuedBeforeTheThreadStartsLoadAsOneBatch)
{
    TestTexture* first = m_system.GetResource<TestTexture>("first");
    ASSERT_NE(m_system.GetResource<TestTexture>("second"), nullptr);
    EXPECT_EQ(m_system.GetLoadingCount(), 0);

    m_system.Initialize();
    ASSERT_TRUE(m_probe.gate.WaitForArrival("first"));
    EXPECT_EQ(m_system.GetLoadingCount(), 2);
    m_probe.gate.OpenAll();
    ASSERT_TRUE(FinishLoading(*first));
}

TEST_F(ResourceSystemThreaded, UnloadOfAQueuedResourceKeepsTheThreadAwayFromIt)
{
    m_system.Initialize();
    TestTexture* first = m_system.GetResource<TestTexture>("first");
    ASSERT_TRUE(m_probe.gate.WaitForArrival("first"));
    ASSERT_NE(m_system.GetResource<TestTexture>("second"), nullptr);

    m_system.UnloadResource("second");
    EXPECT_EQ(m_probe.released, 1);
    EXPECT_EQ(m_probe.destroyed, 1);

    m_probe.gate.OpenAll();
    ASSERT_TRUE(FinishLoading(*first));
    EXPECT_TRUE(WaitForParses(1));
}

TEST_F(ResourceSystemThreaded, UnloadFromTheTakenBatchLowersTheLoadingCount)
{
    TestTexture* first = m_system.GetResource<TestTexture>("first");
    ASSERT_NE(m_system.GetResource<TestTexture>("second"), nullptr);
    m_system.Initialize();
    ASSERT_TRUE(m_probe.gate.WaitForArrival("first"));
    ASSERT_EQ(m_system.GetLoadingCount(), 2);

    m_system.UnloadResource("second");
    EXPECT_EQ(m_system.GetLoadingCount(), 1);
    EXPECT_EQ(m_probe.destroyed, 1);

    m_probe.gate.OpenAll();
    ASSERT_TRUE(FinishLoading(*first));
    EXPECT_TRUE(WaitForParses(1));
}

TEST_F(ResourceSystemThreaded, UnloadWaitsForTheParseInProgress)
{
    m_system.Initialize();
    ASSERT_NE(m_system.GetResource<TestTexture>("first"), nullptr);
    ASSERT_TRUE(m_probe.gate.WaitForArrival("first"));

    const std::jthread opener(
        [this]
        {
            std::this_thread::sleep_for(20ms);
            m_probe.gate.Open("first");
        });
    m_system.UnloadResource("first");
    EXPECT_EQ(m_probe.parsed, 1);
    EXPECT_EQ(m_probe.destroyed, 1);
    EXPECT_EQ(m_system.GetLoadingCount(), 0);

    m_system.Update(0.016f);
    EXPECT_EQ(m_probe.initialized, 0);
}

TEST_F(ResourceSystemThreaded, UnloadOfAParsedResourceSkipsItsInitialisation)
{
    m_system.Initialize();
    ASSERT_NE(m_system.GetResource<TestTexture>("wall"), nullptr);
    ASSERT_TRUE(WaitForParses(1));

    m_system.UnloadResource("wall");
    m_system.Update(0.016f);
    EXPECT_EQ(m_probe.initialized, 0);
    EXPECT_EQ(m_probe.destroyed, 1);
}

TEST_F(ResourceSystemThreaded, ReleaseWaitsForTheParseInProgress)
{
    m_system.Initialize();
    ASSERT_NE(m_system.GetResource<TestTexture>("first"), nullptr);
    ASSERT_NE(m_system.GetResource<TestTexture>("second"), nullptr);
    ASSERT_TRUE(m_probe.gate.WaitForArrival("first"));

    const std::jthread opener(
        [this]
        {
            std::this_thread::sleep_for(20ms);
            m_probe.gate.Open("first");
        });
    m_system.Release();
    EXPECT_EQ(m_probe.parsed, 1);
    EXPECT_EQ(m_probe.released, 2);
    EXPECT_EQ(m_probe.destroyed, 2);
    EXPECT_EQ(m_system.GetLoadingCount(), 0);
}

TEST_F(ResourceSystemThreaded, ReleaseAndInitializeAHundredTimesKeepsOneLoadThread)
{
    m_probe.gate.OpenAll();
    const std::string definitions = R"(<ResourceSystem>
        <Texture name="a" multiThreaded="true"/><Texture name="b" multiThreaded="true"/>
        <Sound name="c" multiThreaded="true"/><Texture name="d" parses="false" multiThreaded="true"/>
        <Sound name="e"/>
    </ResourceSystem>)";
    for (int round = 0; round < 100; ++round)
    {
        m_system.Release();
        ASSERT_TRUE(ParseText(definitions));
        m_system.Initialize();
        m_system.Initialize();
        ASSERT_TRUE(LoadThreadsSettleAt(1)) << "round " << round;

        m_system.GetResource<TestTexture>("a");
        m_system.GetResource<TestTexture>("b");
        m_system.GetResource<TestSound>("c");
        m_system.GetResource<TestTexture>("d");
        m_system.GetResource<TestSound>("e");
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

// Requests resources every frame and asks for a configuration switch on the first frames.
class SwitchingSystem : public ISystem
{
public:
    static SwitchingSystem& GetInstance()
    {
        static SwitchingSystem instance;
        return instance;
    }

    bool Initialize() override { return true; }
    void Update(const float&) override
    {
        Resources::System::GetInstance().GetResource<TestTexture>("wall");
        SystemManager& manager = SystemManager::GetInstance();
        if (++frames < kSwitches)
        {
            manager.pendingConfiguration = configuration;
        }
        else
        {
            manager.quit = true;
        }
    }
    void Release() override {}
    bool Parse(IParserData*) override { return true; }

    static constexpr int kSwitches = 20;
    int frames = 0;
    std::string configuration;

private:
    SwitchingSystem() = default;
};

TEST_F(ResourceSystemThreaded, ConfigurationSwitchesLeaveOneLoadThread)
{
    m_system.Release();
    const std::string path = m_folder.Write("Configuration.xml", R"(<ProjectConfiguration>
        <SystemsConfiguration>
            <InitOrder><ResourceSystem/></InitOrder>
            <UpdateOrder><ResourceSystem/><Switching/></UpdateOrder>
            <ReleaseOrder><ResourceSystem/></ReleaseOrder>
        </SystemsConfiguration>
        <ResourceSystem><Texture name="wall" multiThreaded="true"/></ResourceSystem>
        <Initialize/>
    </ProjectConfiguration>)");
    SystemManager& manager = SystemManager::GetInstance();
    manager.RegisterSystem("Switching", []() -> ISystem& { return SwitchingSystem::GetInstance(); });
    SwitchingSystem::GetInstance().configuration = path;
    SwitchingSystem::GetInstance().frames = 0;

    XMLParserData root;
    ASSERT_TRUE(XMLParserData::LoadFile(path, &root));
    ASSERT_TRUE(manager.Initialize(&root));
    manager.Run();
    EXPECT_EQ(SwitchingSystem::GetInstance().frames, SwitchingSystem::kSwitches);
    EXPECT_TRUE(LoadThreadsSettleAt(1));

    manager.Release();
    EXPECT_TRUE(LoadThreadsSettleAt(0));
    EXPECT_EQ(m_probe.created, m_probe.destroyed);
}
} // namespace
} // namespace Morvane::Testing
