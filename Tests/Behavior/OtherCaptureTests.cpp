// The companion in the real game: what it looks like, the level triggers that reach it, the endings
// they start and the restarts that must not leave its parts behind.
#include "Support/GameCapture.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"
#include "Texture/ImageComparison.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <string>

namespace Morvane
{
namespace
{
using Testing::At;
using Testing::CountOf;
using Testing::DumpAt;
using Testing::Key;
using Testing::LevelRun;
using Testing::ShotAt;
using Testing::WorldDump;

// The player looks along -z from the middle of a walled floor, lit by a level sun.
std::string Level(const std::string& tags,
                  const std::string& player = R"(<Player pos="0;1;0" yaw="1.5708" pitch="-1.5708"/>)")
{
    return R"(<Level name="Test"><Sun pos="30;70;-140" fog="0.62;0.7;0.78" skyColor="0.53;0.74;0.92"
        ambient="0.3;0.3;0.35" fogAmount="0.01" attenuation="1;0.1;0.05"/>
        <Floor pos="0;-0.5;0" scale="20;1;20" color="0.45;0.5;0.45;1"/>
        <Wall pos="0;2;-10" scale="20;4;1" color="0.6;0.55;0.5;1"/>)" +
           player + tags + "</Level>";
}

TEST(OtherCapture, TheCompanionGlowsAheadWithItsOrbitalsAndCarriesTheLight)
{
    const LevelRun run({{"Level_1.xml", Level(R"(<Other pos="3;1.5;-5"/>)")}},
                       DumpAt(30, "start.txt") + DumpAt(90, "later.txt") + ShotAt(90, "companion.png"), 91);
    const WorldDump start = run.Dump("start.txt");
    const WorldDump later = run.Dump("later.txt");
    // The player's companion and the level's ambient one, each with three orbitals and an aura.
    EXPECT_EQ(later.CountNamed("Other"), 2);
    EXPECT_EQ(later.CountNamed("FloatingObject"), 6);
    EXPECT_EQ(later.CountNamed("ParticleSystem_OtherAura"), 2);
    const Testing::DumpedObject* companion = later.FindNamed("Other");
    const Testing::DumpedObject* light = later.FindNamed("Pointlight");
    ASSERT_TRUE(companion != nullptr && light != nullptr);
    EXPECT_LT(glm::distance(companion->position, light->position), 0.5f);
    // Ahead of the eye, not behind it.
    EXPECT_LT(companion->position.z, 0.0f);
    EXPECT_EQ(later.attenuations.at("Pointlight"), glm::vec3(1.0f, 0.1f, 0.05f));
    // The ambient one is free from the start: it drifts from where the level put it.
    const auto ambient = start.objects.find("Other_001") != start.objects.end() ? "Other_001" : "Other_002";
    ASSERT_TRUE(start.objects.count(ambient) && later.objects.count(ambient)) << run.Log();
    EXPECT_LT(glm::distance(start.objects.at(ambient).position, glm::vec3(3.0f, 1.5f, -5.0f)), 3.0f);
    EXPECT_TRUE(Testing::MatchesGolden(run.Picture("companion.png"), "Behavior/Companion.png"));
}

TEST(OtherCapture, TriggersHandTheirEventsToTheCompanionAndAnEndingRollsTheCreditsOnce)
{
    // The first ending trigger is where the player starts; W walks it into the second 1 s later.
    const LevelRun run({{"Level_1.xml", Level(R"(<CustomLoad id="Level_5.xml"/>
            <Trigger pos="0;1;0" scale="2;2;2" event="Guide"/>
            <Trigger pos="0;1;0" scale="2;2;2" event="Level7_NoEnding"/>
            <Trigger pos="0;1;0" scale="2;2;2" event="Level5_BadEnding"/>
            <Trigger pos="0;1;-6" scale="2;2;2" event="Level5_BadEnding"/>)",
                                              R"(<Player pos="0;1;0" yaw="1.5708" pitch="-1.5708">
                <Tip pos="0;1;-6"/><Tip pos="4;1;-6"/></Player>)")}},
                       At(20, Key("W")) + At(120, Key("W", false)) + DumpAt(200, "credits.txt"), 201);
    const std::string& log = run.Log();
    EXPECT_NE(log.find("Event: Guide"), std::string::npos) << log;
    EXPECT_NE(log.find("Changing from tip 0"), std::string::npos) << log;
    EXPECT_NE(log.find(" to tip 1"), std::string::npos) << log;
    EXPECT_NE(log.find("NOT IDENTIFIED EVENT: Level7_NoEnding"), std::string::npos) << log;
    EXPECT_EQ(CountOf(log, "Event: Level5_BadEnding"), 2u) << log;
    const WorldDump credits = run.Dump("credits.txt");
    ASSERT_TRUE(credits.shown.count("Final_Credits")) << Testing::ReadText(run.Path() + "credits.txt");
    EXPECT_TRUE(credits.shown.at("Final_Credits"));
    // 3.2 s into a 5 s fade: restarted by the second trigger it would be a second behind.
    EXPECT_NEAR(credits.colours.at("Final_Credits").a, 3.2f / 5.0f, 0.03f);
}

TEST(OtherCapture, RestartingALevelAHundredTimesLeavesNothingBehind)
{
    std::string events;
    for (int restart = 0; restart < 100; ++restart)
    {
        events += At(10 + restart * 200, Key("R")) + At(11 + restart * 200, Key("R", false));
    }
    // A key during a restart's fade is ignored: the presses leave it time to end.
    // Level 6's floor and a button's sparks come and go with the level too.
    const LevelRun run({{"Level_1.xml", Level(R"(<Other pos="3;1.5;-5"/><CustomLoad id="Level_6.xml"/>
            <Button pos="3;0.15;-4" scale="1.5;0.3;1.5" activate="Gate"/>
            <Activatable activatableName="Gate" pos="-3;2;-8" scale="4;4;1"/>)")}},
                       events + DumpAt(105, "first.txt") + DumpAt(20005, "last.txt"), 20006);
    const WorldDump first = run.Dump("first.txt");
    const WorldDump last = run.Dump("last.txt");
    EXPECT_EQ(CountOf(run.Log(), "Level loaded: "), 101u);
    std::size_t firstCount = 0;
    std::size_t lastCount = 0;
    for (const auto& [name, count] : first.names)
    {
        firstCount += static_cast<std::size_t>(count);
    }
    for (const auto& [name, count] : last.names)
    {
        lastCount += static_cast<std::size_t>(count);
    }
    EXPECT_EQ(lastCount, firstCount);
    EXPECT_EQ(last.CountNamed("FloatingObject"), 6);
    EXPECT_EQ(last.CountNamed("FloatingFloor"), 24);
    EXPECT_EQ(last.CountNamed("ParticleSystem_ButtonToDoor"), 1);
}
} // namespace
} // namespace Morvane
