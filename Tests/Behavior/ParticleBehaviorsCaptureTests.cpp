// The particle behaviors in the real game: what the sparks, the cord, the aura, the dust and level 6's
// floor look like, what the dumps record of them, and that one effect never shifts another.
#include "Support/GameCapture.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"

#include <cmath>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <string>

namespace Morvane
{
namespace
{
using Testing::At;
using Testing::DumpAt;
using Testing::Key;
using Testing::LevelRun;
using Testing::ShotAt;
using Testing::WorldDump;

// The dumped particle graphics of `base` or `base_NNN` (the game system's unique names); empty if none.
std::string ParticlesNamed(const WorldDump& dump, const std::string& base)
{
    for (const auto& [name, count] : dump.particleCounts)
    {
        if (name == base || (name.rfind(base + "_", 0) == 0 && name.size() >= base.size() + 4 &&
                             name.find_first_not_of("0123456789", base.size() + 1) == std::string::npos))
        {
            return name;
        }
    }
    return "";
}

std::string Level(const std::string& tags, const std::string& player)
{
    return R"(<Level name="Test"><Sun pos="30;70;-140" fog="0.62;0.7;0.78" skyColor="0.53;0.74;0.92"
        ambient="0.3;0.3;0.35" fogAmount="0.01" attenuation="1;0.1;0.05"/>)" +
           player + tags + "</Level>";
}

// The player looks along -z from the middle of a walled floor, a button to his right whose gate
// stands ahead on the left.
const char* const kRoom = R"(<Floor pos="0;-0.5;0" scale="20;1;20" color="0.45;0.5;0.45;1"/>
    <Wall pos="0;2;-10" scale="20;4;1" color="0.6;0.55;0.5;1"/>)";
const char* const kButtonAndGate = R"(<Button pos="3;0.15;-4" scale="1.5;0.3;1.5" activate="Gate"/>
    <Activatable activatableName="Gate" pos="-3;2;-8" scale="4;4;1" color="0.55;0.35;0.85;1"/>)";
// The game's dust, which test runs leave out.
const char* const kDust = R"(<Object name="Dust" archetype="ParticleSystem_Dust.xml"/>)";
const char* const kPlayer = R"(<Player pos="0;1;0" yaw="1.75" pitch="-1.5708"/>)";

TEST(ParticleBehaviorsCapture, SparksRunFromTheButtonToItsGateBesideTheCordTheAuraAndTheDust)
{
    const std::string events = DumpAt(60, "dump.txt") + ShotAt(90, "sparks.png");
    const LevelRun run({{"Level_1.xml", Level(std::string(kRoom) + kButtonAndGate, kPlayer)}}, events, 91,
                       0.016, "", kDust);
    const WorldDump dump = run.Dump("dump.txt");
    ASSERT_EQ(dump.CountNamed("ParticleSystem_ButtonToDoor"), 1) << run.Log();
    const std::string sparks = ParticlesNamed(dump, "ParticleSystem_ButtonToDoor");
    ASSERT_FALSE(sparks.empty());
    EXPECT_EQ(dump.particleCounts.at(sparks), 1000);
    ASSERT_EQ(dump.particlePositions.at(sparks).size(), 1000u);
    // Along the floor at the button's height from the button to below the gate, then up to it.
    for (const glm::vec3& position : dump.particlePositions.at(sparks))
    {
        const bool onFloor = std::abs(position.y - 0.15f) < 0.11f;
        const bool rising = std::abs(position.x + 3.0f) < 0.11f && std::abs(position.z + 8.0f) < 0.11f;
        ASSERT_TRUE(onFloor || rising) << position.x << " " << position.y << " " << position.z;
    }
    const std::string effects[] = {ParticlesNamed(dump, "Dust"), ParticlesNamed(dump, "ParticleSystem_Cord"),
                                   ParticlesNamed(dump, "ParticleSystem_OtherAura")};
    ASSERT_FALSE(effects[0].empty() || effects[1].empty() || effects[2].empty())
        << effects[0] << "," << effects[1] << "," << effects[2];
    EXPECT_EQ(dump.particleCounts.at(effects[0]), 300);
    EXPECT_EQ(dump.particleCounts.at(effects[1]), 500);
    EXPECT_EQ(dump.particleColours.at(effects[2]).size(), 10u);
    EXPECT_TRUE(Testing::MatchesGolden(run.Picture("sparks.png"), "Behavior/Particles_Sparks.png"));

    // The same room without the button: the dust, the cord and the aura draw exactly as before.
    const LevelRun plain({{"Level_1.xml", Level(kRoom, kPlayer)}}, events, 91, 0.016, "", kDust);
    const WorldDump alone = plain.Dump("dump.txt");
    EXPECT_EQ(alone.CountNamed("ParticleSystem_ButtonToDoor"), 0);
    for (const std::string& effect : effects)
    {
        ASSERT_TRUE(alone.particlePositions.count(effect)) << effect;
        EXPECT_EQ(alone.particlePositions.at(effect), dump.particlePositions.at(effect)) << effect;
        EXPECT_EQ(alone.particleColours.at(effect), dump.particleColours.at(effect)) << effect;
    }
}

// Level 6's floor: a narrow walk over the void, the pieces gathering under and ahead of the player as he
// walks along it; the same run twice gives the same dumps, every particle included.
TEST(ParticleBehaviorsCapture, LevelSixsFloorGathersUnderThePlayerAndEveryRunDumpsTheSame)
{
    const std::string level = Level(R"(<CustomLoad id="Level_6.xml"/>
        <Floor pos="0;2.5;-15" scale="2;1;40" color="0.5;0.55;0.5;1"/>)",
                                    R"(<Player pos="0;4;0" yaw="1.95" pitch="-1.5708"/>)");
    const std::string events = At(30, Key("W")) + At(150, Key("W", false)) + DumpAt(30, "start.txt") +
                               DumpAt(230, "walked.txt") + ShotAt(230, "floor.png");
    const LevelRun run({{"Level_1.xml", level}}, events, 231);
    const WorldDump start = run.Dump("start.txt");
    const WorldDump walked = run.Dump("walked.txt");
    EXPECT_EQ(walked.CountNamed("FloatingFloor"), 24) << run.Log();
    const Testing::DumpedObject* player = walked.FindNamed("Player");
    ASSERT_NE(player, nullptr);
    ASSERT_LT(player->position.z, -5.0f);
    // Eight pieces of the last layout within its 10 x 10 region about the player (and ahead of him),
    // grown to their boxes: the floor has followed him.
    int near = 0;
    for (const auto& [name, object] : walked.objects)
    {
        if (name.rfind("FloatingFloor", 0) == 0 && object.scale.x > 0.5f &&
            std::abs(object.position.x - player->position.x) < 5.5f &&
            object.position.z < player->position.z + 5.5f && object.position.z > player->position.z - 10.5f &&
            object.position.y < 0.1f && object.position.y > -1.1f)
        {
            ++near;
        }
    }
    EXPECT_GE(near, 8);
    EXPECT_EQ(start.CountNamed("FloatingFloor"), 24);
    EXPECT_TRUE(Testing::MatchesGolden(run.Picture("floor.png"), "Behavior/Particles_Floor.png"));

    const LevelRun again({{"Level_1.xml", level}}, events, 231);
    EXPECT_EQ(Testing::ReadText(again.Path() + "walked.txt"), Testing::ReadText(run.Path() + "walked.txt"));
}
} // namespace
} // namespace Morvane
