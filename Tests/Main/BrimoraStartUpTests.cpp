#include "ChildProcess.h"
#include "TempDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using namespace std::chrono_literals;

// The game looks for its configuration next to its executable: runs a copy of it in `folder`.
Testing::ChildOutcome RunGameIn(const Testing::TempDirectory& folder,
                                std::optional<std::chrono::milliseconds> interruptAfter = {})
{
    const std::string copy = folder.Path() + "brimora";
    std::filesystem::copy_file(Testing::TestProgramFolder() + "../brimora", copy);
    return Testing::ChildProcess(copy).Run(60s, interruptAfter);
}

TEST(BrimoraStartUp, MissingProjectConfigurationEndsInOneAssertionAndOneCrashReport)
{
    const Testing::TempDirectory folder;
    const Testing::ChildOutcome outcome = RunGameIn(folder);

    EXPECT_TRUE(outcome.exited) << outcome.output;
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("Could not load XML file '" + folder.Path() +
                                  "Configuration/ProjectConfiguration.xml'"),
              std::string::npos)
        << outcome.output;
    const std::string assertion =
        "Assertion failed: 'parserData' was false.\nSource\\main.cpp: 76\n\nCallStack: \n";
    const auto assertionAt = outcome.output.find(assertion);
    ASSERT_NE(assertionAt, std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find(assertion, assertionAt + 1), std::string::npos);
    const auto reportAt = outcome.output.find("=== Error ===\nError: UNHANDLED\n\n");
    ASSERT_NE(reportAt, std::string::npos) << outcome.output;
    EXPECT_GT(reportAt, assertionAt);
    EXPECT_NE(outcome.output.find("Error submitted"), std::string::npos);
}

TEST(BrimoraStartUp, FailedInitializationReleasesTheSystemsAndReportsOnce)
{
    const Testing::TempDirectory folder;
    folder.Write("Configuration/ProjectConfiguration.xml",
                 "<SystemManager path=\"$(LocalFolder)Missing.xml\"/>");

    const Testing::ChildOutcome outcome = RunGameIn(folder);

    EXPECT_TRUE(outcome.exited) << outcome.output;
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.output;
    const auto reportAt = outcome.output.find("=== Error ===\nError: UNHANDLED\n\n");
    ASSERT_NE(reportAt, std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find("=== Error ===", reportAt + 1), std::string::npos) << outcome.output;
    // The configuration tree was freed before the pools were emptied.
    EXPECT_EQ(outcome.output.find("Assertion failed"), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find("still alive"), std::string::npos) << outcome.output;
}

TEST(BrimoraStartUp, SystemsListedForReleaseAreReleasedBeforeTheCrashReport)
{
    const Testing::TempDirectory folder;
    folder.Write("Configuration/ProjectConfiguration.xml", R"(<ProjectConfiguration>
        <SystemsConfiguration>
            <UpdateOrder><FileSystem/></UpdateOrder>
            <ReleaseOrder><FileSystem/></ReleaseOrder>
        </SystemsConfiguration>
        <Paths/>
    </ProjectConfiguration>)");
    const Testing::ChildOutcome outcome = RunGameIn(folder);

    EXPECT_EQ(outcome.exitStatus, 0);
    const auto failure = outcome.output.find("Data could not be parsed by 'Paths'");
    const auto released = outcome.output.find("System 'Morvane::Files::System' released");
    const auto report = outcome.output.find("Error: UNHANDLED");
    ASSERT_NE(failure, std::string::npos) << outcome.output;
    ASSERT_NE(released, std::string::npos) << outcome.output;
    ASSERT_NE(report, std::string::npos) << outcome.output;
    EXPECT_LT(failure, released);
    EXPECT_LT(released, report);
}

TEST(BrimoraStartUp, InterruptEndsTheFrameLoopCleanly)
{
    const Testing::TempDirectory folder;
    folder.Write("Configuration/ProjectConfiguration.xml", R"(<ProjectConfiguration>
        <Paths><Path alias="ConfigurationFolder" path="$(LocalFolder)Configuration"/></Paths>
        <SystemsConfiguration>
            <InitOrder><FileSystem/></InitOrder>
            <UpdateOrder><FileSystem/></UpdateOrder>
            <ReleaseOrder><FileSystem/></ReleaseOrder>
        </SystemsConfiguration>
        <Initialize/>
    </ProjectConfiguration>)");
    const Testing::ChildOutcome outcome = RunGameIn(folder, 500ms);

    EXPECT_TRUE(outcome.exited) << outcome.output;
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_NE(outcome.output.find("The system 'Morvane::Files::System' initialized successfuly"),
              std::string::npos);
    EXPECT_NE(outcome.output.find("System 'Morvane::Files::System' released"), std::string::npos)
        << outcome.output;
    EXPECT_EQ(outcome.output.find("Error:"), std::string::npos) << outcome.output;
}
} // namespace
} // namespace Morvane
