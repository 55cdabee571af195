// Every shipped level played to its end by its replay in Tests/Replays, through the real game: the exit is
// reached (the next level loads, or the ending's event comes), the completion reaches a local collector, two
// runs walk the same path, and the level's first view looks as it did.
#include "Support/GameCapture.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"
#include "Support/LoopbackServer.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace Morvane
{
namespace
{
struct Replay
{
    const char* name;
    // Whether leaving the level is a completion the collector hears of; the endings are events.
    bool completes;
    // A second picture the replay takes at its end, or null: the credits an ending brings up.
    const char* endShot = nullptr;
};

// Names the replay in test listings instead of its bytes.
void PrintTo(const Replay& replay, std::ostream* out)
{
    *out << replay.name;
}

const Replay kReplays[] = {{"Level_1", true},
                           {"Level_2", true},
                           {"Level_3", true},
                           {"Level_4", true},
                           {"Level_5", true},
                           {"Level_6", false},
                           {"Level_5_BadEnding", false, "Level_5_BadEnding_Credits"}};

#ifdef MORVANE_SANITIZED
constexpr int kRuns = 1;
#else
constexpr int kRuns = 2;
#endif

// The replay copied beside its outputs, reading the shipped configuration, tracing the player and
// reporting to `analytics`.
std::string Prepare(const Testing::TempDirectory& folder, const std::string& name,
                    const std::string& analytics)
{
    std::string script = Testing::ReadText(std::string(MORVANE_REPLAY_FOLDER) + name + ".xml");
    const std::string configuration = "configuration=\"../../Data/Configuration/Level_Test.xml\"";
    const std::size_t at = script.find(configuration);
    EXPECT_NE(at, std::string::npos) << name;
    if (at != std::string::npos)
    {
        script.replace(at, configuration.size(),
                       "configuration=\"" + std::string(MORVANE_DATA_FOLDER) +
                           "Configuration/Level_Test.xml\" trace=\"trace.txt\" " + analytics);
    }
    return folder.Write(name + ".xml", script);
}

class LevelReplay : public ::testing::TestWithParam<Replay>
{
};

TEST_P(LevelReplay, PlaysToTheEndTheSameWayTwiceAndLooksAsItShould)
{
    const Replay& replay = GetParam();
    std::string firstTrace;
    for (int run = 0; run < kRuns; ++run)
    {
        Testing::LoopbackServer server;
        const Testing::TempDirectory folder;
        const std::string script =
            Prepare(folder, replay.name, Testing::AnalyticsTo(server.Port(), folder.Path()));
        const Testing::ToolResult result = Testing::RunGame("--capture " + script);
        ASSERT_EQ(result.exitCode, 0) << result.output;
        const std::string trace = Testing::ReadText(folder.Path() + "trace.txt");
        ASSERT_FALSE(trace.empty());
        if (run == 0)
        {
            firstTrace = trace;
            Texture::RgbImage image;
            std::string error;
            ASSERT_TRUE(Texture::ReadRgbPng(folder.Path() + replay.name + ".png", image, error)) << error;
            EXPECT_TRUE(
                Testing::MatchesGolden(image, std::string("Behavior/Replay_") + replay.name + ".png"));
            if (replay.endShot != nullptr)
            {
                ASSERT_TRUE(Texture::ReadRgbPng(folder.Path() + replay.endShot + ".png", image, error))
                    << error;
                EXPECT_TRUE(
                    Testing::MatchesGolden(image, std::string("Behavior/Replay_") + replay.endShot + ".png"));
            }
        }
        else
        {
            EXPECT_EQ(trace, firstTrace) << "the second run took another path";
        }
        if (replay.completes)
        {
            ASSERT_TRUE(server.WaitForRequests(1));
            int completions = 0;
            for (const Testing::LoopbackServer::Request& request : server.Requests())
            {
                completions += request.body.find(R"("event_id":"Brimora:GameLogic:Level_Completed")") !=
                               std::string::npos;
            }
            EXPECT_EQ(completions, 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, LevelReplay, ::testing::ValuesIn(kReplays),
                         [](const ::testing::TestParamInfo<Replay>& shipped)
                         { return std::string(shipped.param.name); });
} // namespace
} // namespace Morvane
