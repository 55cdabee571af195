#include "ChildProcess.h"
#include "TempDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using namespace std::chrono_literals;

std::string GamePath()
{
    return Testing::TestProgramFolder() + "../brimora";
}

// A copy of the game in a folder of its own, so that "$(LocalFolder)" holds only what the test writes.
std::string InstallGame(const Testing::TempDirectory& folder)
{
    const std::string game = folder.Path() + "brimora";
    std::filesystem::copy_file(GamePath(), game);
    return game;
}

TEST(StartUpTest, MissingProjectConfigurationIsTheParserDataAssertion)
{
    Testing::TempDirectory folder;
    const auto result = Testing::ChildProcess(InstallGame(folder)).Run(20s);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.output.find("Could not load XML file '" + folder.Path() +
                                 "Configuration/ProjectConfiguration.xml'"),
              std::string::npos)
        << result.output;
    EXPECT_NE(
        result.output.find("Assertion failed: 'parserData' was false.\nSource\\main.cpp: 76\n\nCallStack: "),
        std::string::npos)
        << result.output;
}

TEST(StartUpTest, SystemsThatFailToStartAreReleasedBeforeTheCrashReport)
{
    Testing::TempDirectory folder;
    folder.Write("Configuration/ProjectConfiguration.xml", R"(<ProjectConfiguration>
        <SystemsConfiguration>
            <UpdateOrder><FileSystem/></UpdateOrder>
            <ReleaseOrder><FileSystem/></ReleaseOrder>
        </SystemsConfiguration>
        <Paths/>
    </ProjectConfiguration>)");
    const auto result = Testing::ChildProcess(InstallGame(folder)).Run(20s);
    EXPECT_EQ(result.exitStatus, 0);
    const auto failure = result.output.find("Data could not be parsed by 'Paths'");
    const auto released = result.output.find("System 'Morvane::Files::System' released");
    const auto report = result.output.find("UNHANDLED");
    ASSERT_NE(failure, std::string::npos) << result.output;
    ASSERT_NE(released, std::string::npos) << result.output;
    ASSERT_NE(report, std::string::npos) << result.output;
    EXPECT_LT(failure, released);
    EXPECT_LT(released, report);
}

TEST(StartUpTest, InterruptEndsTheFrameLoopCleanly)
{
    Testing::TempDirectory folder;
    folder.Write("Configuration/ProjectConfiguration.xml", R"(<ProjectConfiguration>
        <Paths><Path alias="ConfigurationFolder" path="$(LocalFolder)Configuration"/></Paths>
        <SystemsConfiguration>
            <InitOrder><FileSystem/></InitOrder>
            <UpdateOrder><FileSystem/></UpdateOrder>
            <ReleaseOrder><FileSystem/></ReleaseOrder>
        </SystemsConfiguration>
        <Initialize/>
    </ProjectConfiguration>)");
    const auto result = Testing::ChildProcess(InstallGame(folder)).Run(20s, 500ms);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.output.find("The system 'Morvane::Files::System' initialized successfuly"),
              std::string::npos);
    EXPECT_NE(result.output.find("System 'Morvane::Files::System' released"), std::string::npos)
        << result.output;
}
} // namespace
} // namespace Morvane
