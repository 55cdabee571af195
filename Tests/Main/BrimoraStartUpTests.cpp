#include "ChildProcess.h"
#include "Platform/ExecutablePath.h"
#include "Support/TempDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{
using namespace Morvane;

// The game looks for its configuration next to its executable: runs a copy of it in `folder`.
Testing::ChildOutcome RunGameIn(const Testing::TempDirectory& folder)
{
    const std::filesystem::path built =
        std::filesystem::path(Platform::GetExecutablePath()).parent_path().parent_path() / "brimora";
    const std::filesystem::path copy = std::filesystem::path(folder.Path()) / "brimora";
    std::filesystem::copy_file(built, copy);
    return Testing::RunProgram(copy.string(), folder.Path());
}

TEST(BrimoraStartUp, MissingProjectConfigurationEndsInOneAssertionAndOneCrashReport)
{
    const Testing::TempDirectory folder;
    const Testing::ChildOutcome outcome = RunGameIn(folder);

    EXPECT_TRUE(outcome.exited) << outcome.output;
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.output;
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
} // namespace

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
