#include "SystemManager/SystemManager.h"

#include "LogCapture.h"
#include "Parsing/FileParser/FileParser.h"
#include "RecordingSystem.h"
#include "TempDirectory.h"

#include <array>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace Morvane
{
namespace
{
using Testing::RecordingSystem;

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

    void TearDown() override
    {
        manager.Release();
        manager.SetClock([] { return 0u; });
    }

    RecordingSystem& System(const std::string& name)
    {
        for (std::size_t i = 0; i < kNames.size(); ++i)
        {
            if (name == kNames[i])
            {
                return *slots[i];
            }
        }
        throw std::invalid_argument(name);
    }

    // Loads a configuration from a file on disk, as the game does.
    bool InitializeFrom(const std::string& xml)
    {
        FileParser parser;
        return manager.Initialize(parser.Parse(folder.Write("Project.xml", xml)));
    }

    SystemManager& manager = SystemManager::GetInstance();
    std::vector<std::string> journal;
    Testing::TempDirectory folder;
};

const char* const kOrders = R"(
    <SystemsConfiguration>
        <InitOrder><Window/><GraphicsSystem/></InitOrder>
        <UpdateOrder><Window/><GraphicsSystem/></UpdateOrder>
        <ReleaseOrder><GraphicsSystem/><Window/></ReleaseOrder>
    </SystemsConfiguration>)";

TEST_F(SystemManagerTest, WalksTheConfigurationInDocumentOrder)
{
    ASSERT_TRUE(InitializeFrom(std::string("<Project>") + kOrders + R"(
        <Window tag="first"/>
        <Section><GraphicsSystem tag="nested"/><Section><Window tag="deep"/></Section></Section>
        <Initialize/>
        <Window tag="after"/>
    </Project>)"));
    EXPECT_EQ(journal, (std::vector<std::string>{"Window.Parse:first", "GraphicsSystem.Parse:nested",
                                                 "Window.Parse:deep", "Window.Initialize",
                                                 "GraphicsSystem.Initialize", "Window.Parse:after"}));
}

TEST_F(SystemManagerTest, UnknownElementsAreLoggedAndSkipped)
{
    Testing::LogCapture log;
    ASSERT_TRUE(InitializeFrom(std::string("<Project><Bogus/>") + kOrders +
                               R"(<FileSystem/><Window tag="x"/></Project>)"));
    EXPECT_TRUE(log.Contains("Unrecognized system or element name 'Bogus'"));
    // The file system has no configuration element of its own.
    EXPECT_TRUE(log.Contains("Unrecognized system or element name 'FileSystem'"));
    EXPECT_EQ(journal, std::vector<std::string>{"Window.Parse:x"});
}

TEST_F(SystemManagerTest, FailedParseStopsTheConfiguration)
{
    System("Window").parseResult = false;
    Testing::LogCapture log;
    EXPECT_FALSE(
        InitializeFrom(std::string("<Project>") + kOrders + R"(<Window/><GraphicsSystem/></Project>)"));
    EXPECT_TRUE(log.Contains("Data could not be parsed by 'Window'"));
    EXPECT_EQ(journal, std::vector<std::string>{"Window.Parse:"});
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

TEST_F(SystemManagerTest, EmptyOrMissingUpdateOrderFailsTheSystemsConfiguration)
{
    for (const char* orders : {"<UpdateOrder/>", "<InitOrder><Window/></InitOrder>"})
    {
        Testing::LogCapture log;
        EXPECT_FALSE(InitializeFrom(std::string("<Project><SystemsConfiguration>") + orders +
                                    "</SystemsConfiguration></Project>"));
        EXPECT_TRUE(log.Contains("Data could not be parsed by 'SystemsConfiguration'"));
        manager.Release();
    }
}

TEST_F(SystemManagerTest, ConfigurationFilesReferencedByPath)
{
    folder.Write("Orders.xml", kOrders);
    folder.Write("Inner.xml", R"(<SystemManager><Window tag="inner"/></SystemManager>)");
    ASSERT_TRUE(InitializeFrom("<SystemManager path=\"" + folder.Path() +
                               "Inner.xml\"><SystemsConfiguration path=\"" + folder.Path() +
                               "Orders.xml\"><UpdateOrder/></SystemsConfiguration>" +
                               "<Window tag=\"outer\"/></SystemManager>"));
    EXPECT_EQ(journal, (std::vector<std::string>{"Window.Parse:inner", "Window.Parse:outer"}));
    EXPECT_EQ(manager.updateOrder.size(), 2u);
}

TEST_F(SystemManagerTest, MissingReferencedFilesFailWithTheirNames)
{
    Testing::LogCapture log;
    const std::string missing = folder.Path() + "Missing.xml";
    EXPECT_FALSE(InitializeFrom("<SystemManager path=\"" + missing + "\"/>"));
    EXPECT_FALSE(InitializeFrom("<Project><SystemsConfiguration path=\"" + missing + "\"/></Project>"));
    EXPECT_TRUE(log.Contains("Data could not be parsed of path '" + missing + "'"));
    EXPECT_TRUE(log.Contains("Could not open '" + missing + "'"));
    EXPECT_TRUE(log.Contains("Data could not be parsed by 'SystemsConfiguration'"));
}

TEST_F(SystemManagerTest, EverySystemInitialisesEvenAfterAFailure)
{
    System("Window").initializeResult = false;
    Testing::LogCapture log;
    EXPECT_FALSE(InitializeFrom(std::string("<Project>") + kOrders + "<Initialize/></Project>"));
    EXPECT_EQ(journal, (std::vector<std::string>{"Window.Initialize", "GraphicsSystem.Initialize"}));
    EXPECT_TRUE(
        log.Contains("The system 'Morvane::Testing::RecordingSystem' could not initialize successfuly"));
    EXPECT_TRUE(log.Contains("The system 'Morvane::Testing::RecordingSystem' initialized successfuly"));
    EXPECT_TRUE(log.Contains("Could not initialize"));
}

TEST_F(SystemManagerTest, ReleaseFollowsTheReleaseOrderAndEmptiesTheLists)
{
    ASSERT_TRUE(InitializeFrom(std::string("<Project>") + kOrders + "</Project>"));
    Testing::LogCapture log;
    manager.Release();
    EXPECT_EQ(journal, (std::vector<std::string>{"GraphicsSystem.Release", "Window.Release"}));
    EXPECT_TRUE(log.Contains("System 'Morvane::Testing::RecordingSystem' released"));
    EXPECT_TRUE(manager.initOrder.empty() && manager.updateOrder.empty() && manager.releaseOrder.empty());
}

TEST_F(SystemManagerTest, NullSystemsConfigurationIsAnAssertion)
{
    try
    {
        manager.ParseSystemsConfiguration(nullptr);
        FAIL() << "no assertion";
    }
    catch (const std::exception& error)
    {
        EXPECT_EQ(std::string(error.what())
                      .rfind("Assertion failed: 'parserData' was false.\n"
                             "Source\\SystemManager\\SystemManager.cpp: 181\n\nCallStack: ",
                             0),
                  0u)
            << error.what();
    }
}

TEST_F(SystemManagerTest, WindowListedTwiceUpdatesTwicePerFrame)
{
    ASSERT_TRUE(InitializeFrom(R"(<Project><SystemsConfiguration>
        <UpdateOrder><Window/><GraphicsSystem/><Window/></UpdateOrder>
    </SystemsConfiguration></Project>)"));
    System("GraphicsSystem").onUpdate = [this] { manager.quit = true; };
    manager.Run();
    EXPECT_EQ(journal, (std::vector<std::string>{"Window.Update", "GraphicsSystem.Update", "Window.Update"}));
}

TEST_F(SystemManagerTest, QuitEndsTheLoopAfterTheWholeFrame)
{
    ASSERT_TRUE(InitializeFrom(std::string("<Project>") + kOrders + "</Project>"));
    System("Window").onUpdate = [this] { manager.quit = true; };
    manager.quit = true; // Run starts by clearing it.
    manager.Run();
    EXPECT_EQ(journal, (std::vector<std::string>{"Window.Update", "GraphicsSystem.Update"}));
}

TEST_F(SystemManagerTest, StepIsTheClampedDurationOfThePreviousFrame)
{
    ASSERT_TRUE(InitializeFrom(std::string("<Project>") + kOrders + "</Project>"));
    // Each frame reads the clock twice; durations of 0, 100, 20 and 5 ms, across a 32-bit wrap-around.
    const std::vector<std::uint32_t> readings = {0xFFFFFFF0u, 0xFFFFFFF0u, 10u, 110u, 200u, 220u, 300u, 305u};
    std::size_t next = 0;
    manager.SetClock([&] { return readings[next++]; });
    RecordingSystem& window = System("Window");
    window.onUpdate = [&] { manager.quit = window.steps.size() == 4; };
    manager.Run();
    ASSERT_EQ(window.steps.size(), 4u);
    EXPECT_FLOAT_EQ(window.steps[0], 0.016f);
    EXPECT_EQ(window.steps[1], std::numeric_limits<float>::min());
    EXPECT_FLOAT_EQ(window.steps[2], 0.032f);
    EXPECT_FLOAT_EQ(window.steps[3], 0.020f);
    EXPECT_FLOAT_EQ(manager.frameTime, 0.005f);
}

TEST_F(SystemManagerTest, ConfigurationSwitchReleasesGameResourcesAndFilesThenReads)
{
    ASSERT_TRUE(InitializeFrom(std::string("<Project>") + kOrders + "</Project>"));
    const std::string next = folder.Write("Next.xml", R"(<Project><Window tag="next"/></Project>)");
    System("GraphicsSystem").onUpdate = [&]
    {
        manager.pendingConfiguration = next;
        manager.quit = true;
    };
    manager.Run();
    EXPECT_EQ(journal, (std::vector<std::string>{"Window.Update", "GraphicsSystem.Update",
                                                 "GameSystem.Release", "ResourceSystem.Release",
                                                 "FileSystem.Release", "Window.Parse:next"}));
    EXPECT_TRUE(manager.pendingConfiguration.empty());
    EXPECT_EQ(manager.updateOrder.size(), 2u);
}

TEST_F(SystemManagerTest, SwitchToAMissingConfigurationOnlyLogsAndClearsTheRequest)
{
    ASSERT_TRUE(InitializeFrom(std::string("<Project>") + kOrders + "</Project>"));
    System("GraphicsSystem").onUpdate = [&]
    {
        manager.pendingConfiguration = folder.Path() + "Nowhere.xml";
        manager.quit = true;
    };
    Testing::LogCapture log;
    manager.Run();
    EXPECT_EQ(journal, (std::vector<std::string>{"Window.Update", "GraphicsSystem.Update"}));
    EXPECT_TRUE(manager.pendingConfiguration.empty());
    EXPECT_TRUE(log.Contains("Could not load XML file '" + folder.Path() + "Nowhere.xml'"));
}

TEST_F(SystemManagerTest, NullConfigurationFails)
{
    EXPECT_FALSE(manager.Initialize(nullptr));
}
} // namespace
} // namespace Morvane
