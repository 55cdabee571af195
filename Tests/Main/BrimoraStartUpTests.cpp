#include "ChildProcess.h"
#include "LogCapture.h"
#include "Platform/ExecutablePath.h"
#include "TempDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace
{
using namespace Morvane;
using namespace std::chrono_literals;
using Testing::CountOf;

std::filesystem::path BuiltGame()
{
    return std::filesystem::path(Platform::GetExecutablePath()).parent_path().parent_path() / "brimora";
}

// The game looks for its configuration next to its executable: runs a copy of it in `folder`.
Testing::ChildOutcome RunGameIn(const Testing::TempDirectory& folder,
                                std::optional<std::chrono::milliseconds> interruptAfter = {})
{
    std::filesystem::copy_file(BuiltGame(), folder.Path() + "brimora");
    return Testing::RunProgram(folder.Path() + "brimora", interruptAfter);
}

TEST(BrimoraStartUp, MissingProjectConfigurationEndsInOneAssertionThenOneCrashReport)
{
    const Testing::TempDirectory folder;
    const Testing::ChildOutcome outcome = RunGameIn(folder);

    EXPECT_TRUE(outcome.exited && outcome.exitStatus == 0) << outcome.output;
    EXPECT_TRUE(Testing::ContainsWrapped(outcome.output, "Could not load XML file '" + folder.Path() +
                                                             "Configuration/ProjectConfiguration.xml'"))
        << outcome.output;
    const std::string assertion =
        "Assertion failed: 'parserData' was false.\nSource\\main.cpp: 76\n\nCallStack: \n";
    const std::string report = "=== Error ===\nError: UNHANDLED\n\n";
    EXPECT_EQ(CountOf(outcome.output, assertion), 1u) << outcome.output;
    EXPECT_EQ(CountOf(outcome.output, report), 1u) << outcome.output;
    EXPECT_LT(outcome.output.find(assertion), outcome.output.find(report));
    EXPECT_NE(outcome.output.find("Error submitted"), std::string::npos);
}

TEST(BrimoraStartUp, FailedInitializationReleasesTheSystemsBeforeTheOneCrashReport)
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

    EXPECT_TRUE(outcome.exited && outcome.exitStatus == 0) << outcome.output;
    const auto failure = outcome.output.find("Data could not be parsed by 'Paths'");
    const auto released = outcome.output.find("System 'Morvane::Files::System' released");
    const auto report = outcome.output.find("Error: UNHANDLED");
    ASSERT_NE(report, std::string::npos) << outcome.output;
    EXPECT_LT(failure, released) << outcome.output;
    EXPECT_LT(released, report) << outcome.output;
    EXPECT_EQ(CountOf(outcome.output, "=== Error ==="), 1u) << outcome.output;
    // The configuration tree was freed before the pools were emptied.
    EXPECT_EQ(outcome.output.find("Assertion failed"), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find("still alive"), std::string::npos) << outcome.output;
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

    EXPECT_TRUE(outcome.exited && outcome.exitStatus == 0) << outcome.output;
    EXPECT_NE(outcome.output.find("System 'Morvane::Files::System' released"), std::string::npos)
        << outcome.output;
    EXPECT_EQ(outcome.output.find("Error:"), std::string::npos) << outcome.output;
}
// The game as shipped: the project configuration and data linked next to the built executable, which
// open on the splash, and the menu's own configuration (the way back from the game), which opens the
// main menu on its start page with the menu's music. The splash's hand-over to the menu is played
// frame by frame in the splash's capture tests: here, in real time, software rendering takes longer
// than a test should wait.
TEST(BrimoraShippedData, StartsEverySystemOpensTheSplashOrTheMenuWithItsMusicAndStopsCleanly)
{
    setenv("ALSOFT_DRIVERS", "none", 1);
#ifdef MORVANE_SANITIZED
    // SDL never shuts libdbus down and unloads Mesa's driver with its allocations still held: the whole
    // game cannot be leak-free. The engine's own leaks are checked by every other test.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
#endif
    if (getenv("DISPLAY") == nullptr)
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    }
    struct Start
    {
        const char* configuration;
        const char* shows;
    };
    for (const Start& start : {Start{"", "Slide 'Texture_Morvane'"},
                               Start{"$(LocalFolder)Configuration/Level_Menu.xml", "Page 'START'"}})
    {
        SCOPED_TRACE(start.configuration);
        const Testing::ChildOutcome outcome =
            Testing::RunProgram(BuiltGame().string(), 2500ms, start.configuration);

        EXPECT_TRUE(outcome.exited && outcome.exitStatus == 0) << outcome.output;
        for (const char* system : {"Window", "Input", "Files", "Resources", "Audio", "Game", "Behavior"})
        {
            const std::string name = std::string("'Morvane::") + system + "::System'";
            EXPECT_EQ(CountOf(outcome.output, "The system " + name + " initialized successfuly"), 1u)
                << system;
            EXPECT_EQ(CountOf(outcome.output, "System " + name + " released"), 1u) << system;
        }
        EXPECT_NE(outcome.output.find(start.shows), std::string::npos) << outcome.output;
        EXPECT_NE(outcome.output.find("Resource 'Sound_Menu' parsed"), std::string::npos) << outcome.output;
        for (const char* failure :
             {"Could not", "could not", "Unrecognized", "Unknown", "Error", "Bad alias"})
        {
            EXPECT_EQ(outcome.output.find(failure), std::string::npos) << failure << "\n" << outcome.output;
        }
    }
}
} // namespace

// As a new user starts it, on whatever sound hardware the machine has (none on a build machine): the
// sound libraries' own messages stay out of the output, so at most the one audio line remains.
TEST(BrimoraShippedData, StartsWithoutTheSoundLibrariesOwnMessages)
{
    unsetenv("ALSOFT_DRIVERS");
    unsetenv("ALSOFT_LOGLEVEL");
#ifdef MORVANE_SANITIZED
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
#endif
    if (getenv("DISPLAY") == nullptr)
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    }
    const Testing::ChildOutcome outcome = Testing::RunProgram(BuiltGame().string(), 1500ms);

    EXPECT_TRUE(outcome.exited && outcome.exitStatus == 0) << outcome.output;
    EXPECT_EQ(outcome.output.find("ALSA lib"), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find("AL lib:"), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find("[ALSOFT]"), std::string::npos) << outcome.output;
    EXPECT_LE(CountOf(outcome.output, "Audio system: No audio devices detected"), 1u) << outcome.output;
}
