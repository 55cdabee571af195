// The game logic in the real game: test levels written beside a configuration like the project's,
// played by capture scripts, read back from object dumps, screenshots, the log and a local server.
#include "Support/GameCapture.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"
#include "Support/LoopbackServer.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace Morvane
{
namespace
{
using Testing::At;
using Testing::CountOf;
using Testing::DumpAt;
using Testing::Key;
using Testing::LevelRun;
using Testing::PlayerPosition;
using Testing::Press;
using Testing::ReadText;
using Testing::ShotAt;
using Testing::TempDirectory;
using Testing::WorldDump;

// The player looks along -z; D walks toward +x.
const char* const kStart =
    R"(<Floor pos="0;-0.5;0" scale="20;1;20"/><Player pos="0;1;0" yaw="1.5708" pitch="-1.5708"/>)";

std::string Level(const std::string& tags)
{
    return "<Level name=\"Test\">" + std::string(kStart) + tags + "</Level>";
}

TEST(GameLogicCapture, ALevelFileBuildsItsTagsInOrderAndReportsWhatItCannot)
{
    const LevelRun run({{"Level_1.xml", Level(R"(
        <Wall pos="3;1;-4" scale="1;2;1" rotation="0;2;0;90" color="0.9;0.1;0.1;1"/>
        <Decorable/>
        <Decorable pos="nan;1;2"/>
        <Decorable archetype="Heart.xml"/>
        <Bogus/>
        <Door pos="0;1;-8"/>
        <WorldText pos="0;3;-6" caption="Hello"/>
        <Trigger pos="5;1;5" scale="2;2;2" event="Hello"/>
        <CustomLoad id="Level_1.xml"/>)")}},
                       DumpAt(1, "loaded.txt"), 2);
    const WorldDump dump = run.Dump("loaded.txt");
    const std::string& log = run.Log();
    EXPECT_NE(log.find("Level loaded: '$(CurrentLevel)Levels/Level_1.xml'"), std::string::npos) << log;
    EXPECT_NE(log.find("Unidintified tag: 'Bogus'"), std::string::npos) << log;
    EXPECT_NE(log.find("Could not get next level door"), std::string::npos) << log;
    EXPECT_NE(log.find("Attribute 'pos' of 'Decorable' is not a finite vector: 'nan;1;2'"), std::string::npos)
        << log;

    ASSERT_TRUE(dump.objects.contains("Wall"));
    const Testing::DumpedObject& wall = dump.objects.at("Wall");
    EXPECT_EQ(wall.position, glm::vec3(3.0f, 1.0f, -4.0f));
    // 90 degrees about y, the axis normalised.
    EXPECT_NEAR(wall.rotation.w, std::cos(glm::radians(45.0f)), 1e-5f);
    EXPECT_NEAR(wall.rotation.y, std::sin(glm::radians(45.0f)), 1e-5f);
    EXPECT_NEAR(wall.rotation.x, 0.0f, 1e-6f);
    // Without attributes the archetype's values stay; a bad vector takes the default.
    EXPECT_EQ(dump.objects.at("Decorable").position, glm::vec3(0.0f));
    EXPECT_EQ(dump.objects.at("Decorable").scale, glm::vec3(1.0f));
    EXPECT_EQ(dump.CountNamed("Decorable"), 3);
    // Another archetype under the tag's rule and name: the heart's own place.
    int atHeart = 0;
    for (const auto& [name, object] : dump.objects)
    {
        atHeart += name.rfind("Decorable", 0) == 0 && object.position == glm::vec3(0.0f, 2.0f, 0.0f);
    }
    EXPECT_EQ(atHeart, 1);
    EXPECT_EQ(dump.CountNamed("Door"), 0);
    EXPECT_EQ(dump.CountNamed("WorldText"), 1);
    EXPECT_EQ(dump.CountNamed("Trigger"), 1);
    EXPECT_EQ(PlayerPosition(dump), glm::vec3(0.0f, 1.0f, 0.0f));
    // The pause room far below: its walls, labels and triggers.
    EXPECT_EQ(dump.CountNamed("Pause_Level"), 7);
    EXPECT_EQ(dump.CountNamed("Pause_Level_Text"), 6);
    EXPECT_EQ(dump.CountNamed("Pause_Level_Trigger"), 3);
    EXPECT_EQ(dump.CountNamed("LevelTransition"), 1);
}

TEST(GameLogicCapture, BoxesTakeTheirScaleAndAFarFloorHoldsThePlayer)
{
    // Level boxes are sized from their scale; a floor far from the start is found by the grid.
    const LevelRun run({{"Level_1.xml", R"(<Level><Floor pos="500;0;500" scale="10;1;10"/>
                                         <Player pos="500;2;500"/></Level>)"}},
                       DumpAt(60, "settled.txt"), 61);
    EXPECT_NEAR(PlayerPosition(run.Dump("settled.txt")).y, 1.5f, 0.02f);
}

TEST(GameLogicCapture, ALevelChangeFadesToBlackSwapsTheLevelAndClearsIgnoringKeysMeanwhile)
{
    const std::string marker = R"(<Decorable pos="30;0;30"/>)";
    // At 80 steps a second, frames 10 + 20, 60, 100, 140 and 168 are 0.25, 0.75, 1.25, 1.75 and 2.1 s
    // after the key.
    const LevelRun run({{"Level_1.xml", Level(marker)},
                        {"Level_2.xml", Level(R"(<Wall pos="30;0;30"/>)")},
                        {"Level_3.xml", Level("")}},
                       ShotAt(9, "before.png") + Press(10, "2") + ShotAt(29, "0.25.png") + Press(40, "3") +
                           Press(45, "R") + ShotAt(69, "0.75.png") + DumpAt(95, "swapped.txt") +
                           ShotAt(109, "1.25.png") + ShotAt(149, "1.75.png") + ShotAt(177, "2.1.png"),
                       180, 0.0125);
    const Texture::RgbImage before = run.Picture("before.png");
    ASSERT_EQ(before.rgb.size(), 160u * 100u * 3u);
    // The sky in the top corners of the picture, which neither the companion's moving light nor its aura
    // reaches; black over it at the fade's alpha. The median of them: a speck of dust may drift across.
    const auto darkness = [&](const std::string& name)
    {
        const Texture::RgbImage picture = run.Picture(name);
        if (picture.rgb.size() != before.rgb.size())
        {
            return -1.0;
        }
        std::vector<double> row;
        for (const std::size_t x : {2, 4, 6, 8, 10, 12, 14, 16, 144, 146, 148, 150, 152, 154, 156, 158})
        {
            const std::size_t pixel = (5 * 160 + x) * 3;
            row.push_back(1.0 -
                          static_cast<double>(picture.rgb[pixel]) / static_cast<double>(before.rgb[pixel]));
        }
        std::nth_element(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(row.size() / 2), row.end());
        return row[row.size() / 2];
    };
    EXPECT_NEAR(darkness("0.25.png"), 0.0, 0.03);
    EXPECT_NEAR(darkness("0.75.png"), 0.5, 0.03);
    EXPECT_NEAR(darkness("1.25.png"), 1.0, 0.03);
    EXPECT_NEAR(darkness("1.75.png"), 0.5, 0.03);
    // Another level by then, its sky lit a little differently.
    EXPECT_NEAR(darkness("2.1.png"), 0.0, 0.07);

    const std::string& log = run.Log();
    EXPECT_EQ(CountOf(log, "Level loaded: "), 2u) << log;
    EXPECT_NE(log.find("Level loaded: '$(CurrentLevel)Levels/Level_2.xml'"), std::string::npos) << log;
    // Level 1's objects are gone, the configuration's stay, the player and what it made are one each.
    const WorldDump swapped = run.Dump("swapped.txt");
    EXPECT_EQ(swapped.CountNamed("Decorable"), 0);
    EXPECT_EQ(swapped.CountNamed("Wall"), 1);
    for (const char* name : {"GameLogic", "BackgroundMusic", "Sun", "Viewport", "LevelTransition"})
    {
        EXPECT_EQ(swapped.CountNamed(name), 1) << name;
    }
    for (const char* name : {"Player", "Other", "FadeInOut", "ParticleSystem_Cord", "Floor"})
    {
        EXPECT_EQ(swapped.CountNamed(name), 1) << name;
    }
    EXPECT_EQ(swapped.CountNamed("Pause_Level"), 7);
}

TEST(GameLogicCapture, RestartsKeepOnePlayerCompanionAndOverlay)
{
    std::string events;
    // A restart every 2.24 s, each after the last fade has cleared.
#ifdef MORVANE_SANITIZED
    constexpr int kRestarts = 20;
#else
    constexpr int kRestarts = 100;
#endif
    constexpr int kFramesApart = 70;
    for (int restart = 0; restart < kRestarts; ++restart)
    {
        events += Press(5 + restart * kFramesApart, "R");
    }
    const int frames = 5 + kRestarts * kFramesApart;
    const LevelRun run({{"Level_1.xml", Level("")}}, events + DumpAt(frames - 1, "end.txt"), frames, 0.032);
    EXPECT_EQ(CountOf(run.Log(), "Level loaded: "), static_cast<std::size_t>(kRestarts + 1)) << run.Log();
    const WorldDump end = run.Dump("end.txt");
    for (const char* name :
         {"Player", "Other", "FadeInOut", "ParticleSystem_Cord", "Floor", "LevelTransition"})
    {
        EXPECT_EQ(end.CountNamed(name), 1) << name;
    }
    EXPECT_EQ(end.CountNamed("Pause_Level_Trigger"), 3);
}

TEST(GameLogicCapture, ThePauseRoomHoldsThePlayerUntilContinueAndExitIsSafeTwice)
{
    // Walked to (0, 1, -2), paused, then W and A (toward -z and -x) onto CONTINUE at (-4, -4) from the
    // room's middle.
    const LevelRun run({{"Level_1.xml", Level("")}},
                       At(2, Key("W")) + At(14, Key("W", false)) + DumpAt(40, "walked.txt") +
                           Press(41, "Escape") + DumpAt(43, "paused.txt") + At(60, Key("W") + Key("A")) +
                           At(110, Key("W", false) + Key("A", false)) + DumpAt(115, "resumed.txt") +
                           Press(120, "Escape") + DumpAt(122, "again.txt") +
                           // To EXIT at (4, -4), back and onto it again, then through the opened wall to YES.
                           At(130, Key("W") + Key("D")) + At(170, Key("W", false) + Key("D", false)) +
                           At(175, Key("S")) + At(200, Key("S", false)) + At(205, Key("W")) +
                           At(235, Key("W", false)) + At(240, Key("D")) + At(300, Key("D", false)) +
                           DumpAt(300, "exit.txt"),
                       320);
    const glm::vec3 walked = PlayerPosition(run.Dump("walked.txt"));
    const WorldDump paused = run.Dump("paused.txt");
    EXPECT_NEAR(glm::distance(PlayerPosition(paused), glm::vec3(0.0f, -49999.0f, 0.0f)), 0.0f, 0.1f);
    // The camera came along at once.
    EXPECT_LT(std::abs(paused.cameras.at("Camera_World").position.y + 49998.5f), 0.2f);
    const WorldDump resumed = run.Dump("resumed.txt");
    // Back where it paused, then walking on for the few frames the keys were still held.
    const glm::vec3 back = PlayerPosition(resumed);
    EXPECT_NEAR(back.y, walked.y, 0.05f);
    EXPECT_LT(glm::distance(glm::vec2(back.x, back.z), glm::vec2(walked.x, walked.z)), 3.0f);
    EXPECT_GT(resumed.cameras.at("Camera_World").position.y, 0.0f);
    // Escape works again after a resume.
    EXPECT_LT(PlayerPosition(run.Dump("again.txt")).y, -49990.0f);
    // YES took the game to the menu, which opened on its start page.
    EXPECT_EQ(run.Dump("exit.txt").CountNamed("Menu"), 1);
    EXPECT_NE(run.Log().find("Page 'START'"), std::string::npos) << run.Log();
}

TEST(GameLogicCapture, ADigitWhilePausedLoadsTheLevelAndEndsThePause)
{
    const LevelRun run({{"Level_1.xml", Level("")}, {"Level_2.xml", Level("")}},
                       Press(5, "Escape") + Press(10, "2") + DumpAt(150, "loaded.txt") +
                           Press(160, "Escape") + DumpAt(162, "paused.txt"),
                       165);
    EXPECT_NEAR(PlayerPosition(run.Dump("loaded.txt")).y, 1.0f, 0.05f);
    EXPECT_LT(PlayerPosition(run.Dump("paused.txt")).y, -49990.0f);
}

TEST(GameLogicCapture, ABrokenLevelIsLoggedAndChangesNothing)
{
    const LevelRun run(
        {{"Level_1.xml", Level(R"(<Decorable pos="1;0;1"/>)")}, {"Level_2.xml", "<Level><Wall"}},
        Press(5, "2") + DumpAt(150, "after.txt"), 151);
    EXPECT_NE(run.Log().find("Could not load level '$(CurrentLevel)Levels/Level_2.xml'"), std::string::npos)
        << run.Log();
    const WorldDump after = run.Dump("after.txt");
    EXPECT_EQ(after.CountNamed("Decorable"), 1);
    EXPECT_EQ(after.CountNamed("Player"), 1);
}

// Every door of a level leads where the last one says.
TEST(GameLogicCapture, TwoDoorsKeepTheLastNextLevel)
{
    const LevelRun run(
        {{"Level_1.xml",
          Level(R"(<Door pos="0;1;-4" scale="2;2;1" nextLevel="$(CurrentLevel)Levels/Level_2.xml"/>
                                                 <Door pos="30;1;30" scale="2;2;1" nextLevel="$(CurrentLevel)Levels/Level_3.xml"/>)")},
         {"Level_2.xml", Level("")},
         {"Level_3.xml", Level("")}},
        At(2, Key("W")) + At(60, Key("W", false)), 200);
    EXPECT_NE(run.Log().find("Level loaded: '$(CurrentLevel)Levels/Level_3.xml'"), std::string::npos)
        << run.Log();
    EXPECT_EQ(run.Log().find("Level_2.xml'"), std::string::npos) << run.Log();
}

// The events a level sends, as the collector receives them.
TEST(GameLogicCapture, LevelEventsCarryTheLevelAndThePlayersPlaceAndRefusedChangesSendNone)
{
    Testing::LoopbackServer server;
    const TempDirectory settings;
    const std::string analytics = Testing::AnalyticsTo(server.Port(), settings.Path());
    // The door stands right ahead: walking into it completes the level; "R" during that fade is refused.
    const LevelRun run(
        {{"Level_1.xml",
          Level(R"(<Door pos="0;1;-4" scale="2;2;1" nextLevel="$(CurrentLevel)Levels/Level_1.xml"/>)")}},
        At(2, Key("W")) + At(60, Key("W", false)) + Press(75, "R") + Press(300, "R"), 400, 0.016, analytics);
    ASSERT_TRUE(server.WaitForRequests(1));
    std::vector<std::string> bodies;
    for (const Testing::LoopbackServer::Request& request : server.Requests())
    {
        bodies.push_back(request.body);
    }
    const auto count = [&bodies](const std::string& id)
    {
        int found = 0;
        for (const std::string& body : bodies)
        {
            found += body.find("\"event_id\":\"" + id + "\"") != std::string::npos;
        }
        return found;
    };
    const auto first = [&bodies](const std::string& id)
    {
        for (const std::string& body : bodies)
        {
            if (body.find("\"event_id\":\"" + id + "\"") != std::string::npos)
            {
                return body;
            }
        }
        return std::string();
    };
    const std::string heatMap = first("HeatMapTest:HeatMapTest_1");
    EXPECT_NE(heatMap.find(R"("area":"TEST_AREA")"), std::string::npos) << heatMap;
    EXPECT_NE(heatMap.find(R"("x":"1.12")"), std::string::npos) << heatMap;
    EXPECT_NE(heatMap.find(R"("z":"3.99")"), std::string::npos) << heatMap;
    const std::string load = first("Brimora:GameLogic:Level_Load");
    EXPECT_NE(load.find(R"("x":"0.00","y":"1.00","z":"0.00")"), std::string::npos) << load;
    const std::string completed = first("Brimora:GameLogic:Level_Completed");
    EXPECT_NE(completed.find("\"area\":\"%24%28CurrentLevel%29Levels/Level_1.xml\""), std::string::npos)
        << completed;
    EXPECT_EQ(count("Brimora:GameLogic:Level_Completed"), 1);
    // The first "R" came during the completed level's fade: only the second restarts.
    EXPECT_EQ(count("Brimora:GameLogic:Restart"), 1);
    EXPECT_EQ(count("Brimora:GameLogic:Level_Load"), 3);
    EXPECT_NE(first("Brimora:Game:Closed").find("\"area\":"), std::string::npos);
}

// The shipped game as "New game" starts it, and its pause room, as a player sees them.
TEST(GameLogicCapture, TheFirstLevelAndThePauseRoomLookAsTheyShould)
{
    const TempDirectory folder;
    const Testing::ToolResult result = Testing::RunGame(
        "--capture " +
        folder.Write("run.xml", "<Capture frames=\"70\" width=\"160\" height=\"100\" draw=\"screenshots\" "
                                "configuration=\"$(LocalFolder)Configuration/Level_Test.xml\">" +
                                    ShotAt(30, "level.png") + Press(31, "Escape") + At(34, Key("S")) +
                                    At(50, Key("S", false)) + ShotAt(69, "pause.png") + "</Capture>"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    for (const char* name : {"level", "pause"})
    {
        Texture::RgbImage image;
        std::string error;
        ASSERT_TRUE(Texture::ReadRgbPng(folder.Path() + name + ".png", image, error)) << error;
        EXPECT_TRUE(Testing::MatchesGolden(
            image,
            std::string("Behavior/") + (name == std::string("level") ? "Level1Start.png" : "PauseRoom.png")));
    }
}
} // namespace
} // namespace Morvane
