#include "LogCapture.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "SystemManager/SystemManager.h"
#include "TempDirectory.h"

#include <algorithm>
#include <array>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace
{
using namespace Morvane;
using Journal = std::vector<std::string>;

// An engine system that writes every call it receives into a shared journal; it fails to parse an
// element tagged "fail".
struct RecordingSystem : ISystem
{
    RecordingSystem(std::string systemName, Journal& calls) : name(std::move(systemName)), journal(calls) {}
    bool Record(const std::string& call)
    {
        journal.push_back(name + call);
        return true;
    }
    bool Initialize() override { return Record(".Initialize") && initializeResult; }
    void Release() override { Record(".Release"); }
    bool Parse(IParserData* data) override
    {
        return Record(".Parse:" + data->GetAttribute("tag", "")) && data->GetAttribute("tag", "") != "fail";
    }
    void Update(const float& dt) override
    {
        Record(".Update");
        steps.push_back(dt);
        onUpdate();
    }

    std::string name;
    Journal& journal;
    bool initializeResult = true;
    std::vector<float> steps;
    std::function<void()> onUpdate = [] {};
};

using namespace std::string_literals;

const std::array<const char*, 8> kNames = {"GraphicsSystem", "Window",     "InputSystem",    "GameSystem",
                                           "ResourceSystem", "FileSystem", "BehaviorSystem", "AudioSystem"};
std::array<std::unique_ptr<RecordingSystem>, kNames.size()> slots;

template <std::size_t Index> ISystem& Slot()
{
    return *slots[Index];
}

template <std::size_t... Index> void RegisterSlots(SystemManager& manager, std::index_sequence<Index...>)
{
    (manager.RegisterSystem(kNames[Index], &Slot<Index>), ...);
}

const std::string kOrders = R"(
    <SystemsConfiguration>
        <InitOrder><Window/><GraphicsSystem/></InitOrder>
        <UpdateOrder><Window/><GraphicsSystem/></UpdateOrder>
        <ReleaseOrder><GraphicsSystem/><Window/></ReleaseOrder>
    </SystemsConfiguration>)";

class SystemManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (std::size_t i = 0; i < kNames.size(); ++i)
        {
            slots[i] = std::make_unique<RecordingSystem>(kNames[i], journal);
        }
        RegisterSlots(manager, std::make_index_sequence<kNames.size()>());
        // The manager outlives a test when the test program runs every test in one process.
        manager.frameTime = SystemManager::kFirstFrameTime;
    }

    void TearDown() override { manager.Release(); }

    RecordingSystem& System(const std::string& name)
    {
        return *slots[std::find(kNames.begin(), kNames.end(), name) - kNames.begin()];
    }

    // From a file on disk, as the game does.
    bool InitializeFrom(const std::string& xml)
    {
        return manager.Initialize(FileParser().Parse(folder.Write("Project.xml", xml)));
    }

    SystemManager& manager = SystemManager::GetInstance();
    Journal journal;
    Testing::TempDirectory folder;
};

// A referenced file is read before the element's children; a referenced order list replaces the inline one.
TEST_F(SystemManagerTest, WalksTheConfigurationInDocumentOrderThroughSectionsAndReferencedFiles)
{
    folder.Write("Orders.xml", kOrders);
    folder.Write("Inner.xml", R"(<SystemManager><Window tag="inner"/></SystemManager>)");
    ASSERT_TRUE(InitializeFrom("<SystemManager path=\"" + folder.Path() +
                               "Inner.xml\"><SystemsConfiguration path=\"" + folder.Path() +
                               R"(Orders.xml"><UpdateOrder/></SystemsConfiguration>
        <Window tag="first"/>
        <Section><GraphicsSystem tag="nested"/><Section><Window tag="deep"/></Section></Section>
        <Initialize/>
        <Window tag="after"/>
    </SystemManager>)"));
    EXPECT_EQ(journal, (Journal{"Window.Parse:inner", "Window.Parse:first", "GraphicsSystem.Parse:nested",
                                "Window.Parse:deep", "Window.Initialize", "GraphicsSystem.Initialize",
                                "Window.Parse:after"}));
    EXPECT_EQ(manager.updateOrder.size(), 2u);
}

TEST_F(SystemManagerTest, BadConfigurationsLogTheirLineAndOnlyFailWhereTheyMust)
{
    const std::string missing = folder.Path() + "Missing.xml";
    struct Case
    {
        std::string xml;
        bool succeeds;
        std::string logLine;
        std::string parsed; // the one element parsed, if any
    };
    std::vector<Case> cases = {
        {"<Project><Bogus/>" + kOrders + R"(<Window tag="x"/></Project>)", true,
         "Unrecognized system or element name 'Bogus'", "Window.Parse:x"},
        // The file system has no configuration element of its own.
        {"<Project>" + kOrders + "<FileSystem/></Project>", true,
         "Unrecognized system or element name 'FileSystem'", ""},
        {"<Project>" + kOrders + R"(<Window tag="fail"/><GraphicsSystem/></Project>)", false,
         "Data could not be parsed by 'Window'", "Window.Parse:fail"},
        {"<Project><SystemsConfiguration><UpdateOrder/></SystemsConfiguration></Project>", false,
         "Data could not be parsed by 'SystemsConfiguration'", ""},
        {"<Project><SystemsConfiguration><InitOrder><Window/></InitOrder></SystemsConfiguration></Project>",
         false, "Data could not be parsed by 'SystemsConfiguration'", ""},
        {"<SystemManager path=\"" + missing + "\"/>", false,
         "Data could not be parsed of path '" + missing + "'", ""},
        {"<Project><SystemsConfiguration path=\"" + missing + "\"/></Project>", false,
         "Data could not be parsed by 'SystemsConfiguration'", ""},
    };
    // A file that names itself nests until the file parser refuses it.
    for (const std::string element : {"SystemManager", "SystemsConfiguration", "Paths", "Constants"})
    {
        const std::string self = folder.Path() + element + ".xml";
        const std::string xml = "<" + element + " path=\"" + self + "\"/>";
        folder.Write(element + ".xml", xml);
        cases.push_back({element == "SystemManager" ? xml : "<Project>" + xml + "</Project>", false,
                         "File Parser: File '" + self + "' is nested more than 32 files deep", ""});
    }
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.xml);
        Testing::LogCapture log;
        EXPECT_EQ(InitializeFrom(test.xml), test.succeeds);
        EXPECT_TRUE(log.ContainsWrapped(test.logLine)) << log.Text();
        EXPECT_EQ(journal, test.parsed.empty() ? Journal{} : Journal{test.parsed});
        manager.Release();
        journal.clear();
    }
    EXPECT_FALSE(manager.Initialize(nullptr));
    EXPECT_THAT([this] { manager.ParseSystemsConfiguration(nullptr); },
                testing::ThrowsMessage<std::runtime_error>(
                    testing::StartsWith("Assertion failed: 'parserData' was false.\n"
                                        "Source\\SystemManager\\SystemManager.cpp: 181\n\nCallStack: ")));
}

TEST_F(SystemManagerTest, OrderListsSkipUnknownNamesAndAreReplacedByRepeats)
{
    Testing::LogCapture log;
    ASSERT_TRUE(InitializeFrom(R"(<Project><SystemsConfiguration>
        <InitOrder><Window/></InitOrder>
        <InitOrder><LoggingSystem/><GraphicsSystem/><InputSystem/></InitOrder>
        <UpdateOrder><Window/></UpdateOrder>
        <Unrelated><Window/></Unrelated>
    </SystemsConfiguration></Project>)"));
    EXPECT_TRUE(log.Contains("Unrecognized system 'LoggingSystem'"));
    EXPECT_EQ(manager.initOrder, (std::vector<ISystem*>{&System("GraphicsSystem"), &System("InputSystem")}));
    EXPECT_EQ(manager.updateOrder, std::vector<ISystem*>{&System("Window")});
    EXPECT_TRUE(manager.releaseOrder.empty());
}

TEST_F(SystemManagerTest, EverySystemInitialisesEvenAfterAFailureAndReleasesInItsOrder)
{
    System("Window").initializeResult = false;
    Testing::LogCapture log;
    EXPECT_FALSE(InitializeFrom("<Project>" + kOrders + "<Initialize/></Project>"));
    manager.Release();
    EXPECT_EQ(journal, (Journal{"Window.Initialize", "GraphicsSystem.Initialize", "GraphicsSystem.Release",
                                "Window.Release"}));
    const std::string name = "'(anonymous namespace)::RecordingSystem' ";
    for (const std::string& line : {"The system " + name + "could not initialize successfuly",
                                    "The system " + name + "initialized successfuly", "Could not initialize"s,
                                    "System " + name + "released"})
    {
        EXPECT_TRUE(log.Contains(line)) << line;
    }
    EXPECT_TRUE(manager.initOrder.empty() && manager.updateOrder.empty() && manager.releaseOrder.empty());
}

TEST_F(SystemManagerTest, StepIsTheClampedDurationOfThePreviousFrameAndQuitEndsTheLoopAfterTheWholeFrame)
{
    ASSERT_TRUE(InitializeFrom(R"(<Project><SystemsConfiguration>
        <UpdateOrder><Window/><GraphicsSystem/><Window/></UpdateOrder>
    </SystemsConfiguration></Project>)"));
    // Each frame reads the clock twice; durations of 0, 100, 20 and 5 ms, across a 32-bit wrap-around.
    const std::vector<std::uint32_t> readings = {0xFFFFFFF0u, 0xFFFFFFF0u, 10u, 110u, 200u, 220u, 300u, 305u};
    std::size_t next = 0;
    manager.SetClock([&] { return readings[next++]; });
    RecordingSystem& graphics = System("GraphicsSystem");
    graphics.onUpdate = [&] { manager.quit |= graphics.steps.size() == 4; };
    manager.quit = true; // Run starts by clearing it.
    manager.Run();
    manager.SetClock([] { return 0u; });
    using testing::FloatEq;
    EXPECT_THAT(graphics.steps, testing::ElementsAre(FloatEq(0.016f), std::numeric_limits<float>::min(),
                                                     FloatEq(0.032f), FloatEq(0.020f)));
    EXPECT_FLOAT_EQ(manager.frameTime, 0.005f);
    EXPECT_EQ(journal.size(), 12u);
    EXPECT_EQ(journal.back(), "Window.Update");
}

TEST_F(SystemManagerTest, ConfigurationSwitchReleasesGameResourcesAndFilesThenReadsAndMissingOnlyLogs)
{
    ASSERT_TRUE(InitializeFrom("<Project>" + kOrders + "</Project>"));
    const std::string next = folder.Write("Next.xml", R"(<Project><Window tag="next"/></Project>)");
    const std::string nowhere = folder.Path() + "Nowhere.xml";
    for (const std::string& path : {nowhere, next})
    {
        System("GraphicsSystem").onUpdate = [&]
        {
            manager.pendingConfiguration = path;
            manager.quit = true;
        };
        Testing::LogCapture log;
        manager.Run();
        EXPECT_TRUE(manager.pendingConfiguration.empty());
        EXPECT_EQ(log.ContainsWrapped("Could not load XML file '" + nowhere + "'"), path == nowhere);
    }
    EXPECT_EQ(journal, (Journal{"Window.Update", "GraphicsSystem.Update", "Window.Update",
                                "GraphicsSystem.Update", "GameSystem.Release", "ResourceSystem.Release",
                                "FileSystem.Release", "Window.Parse:next"}));
    EXPECT_EQ(manager.updateOrder.size(), 2u);
}

TEST_F(SystemManagerTest, TheConfigurationListenerHearsEveryInitialisationOnceItsSystemsHaveStarted)
{
    Journal heard;
    manager.SetConfigurationListener([&] { heard.push_back(journal.back()); });
    ASSERT_TRUE(InitializeFrom("<Project>" + kOrders + "<Initialize/><Window tag=\"after\"/></Project>"));
    System("Window").initializeResult = false;
    const std::string next = folder.Write("Next.xml", "<Project><Initialize/></Project>");
    System("GraphicsSystem").onUpdate = [&]
    {
        manager.pendingConfiguration = next;
        manager.quit = true;
    };
    manager.Run();
    manager.SetConfigurationListener({});
    // Before the elements after "Initialize" are read, and after a start in which a system failed too.
    EXPECT_EQ(heard, (Journal{"GraphicsSystem.Initialize", "GraphicsSystem.Initialize"}));
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "Window.Initialize"), 2);
}
} // namespace
