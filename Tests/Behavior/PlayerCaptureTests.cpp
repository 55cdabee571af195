// The player in the real game: scenes around "Player.xml" played by capture scripts, with the player's
// path read from a dump of every frame.
#include "Support/GameCapture.h"
#include "Support/Golden.h"
#include "Support/LoopbackServer.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace Morvane
{
namespace
{
using Testing::TempDirectory;

using Testing::At;
using Testing::AtTime;
using Testing::Key;

// One frame of the dump: where the player and the world camera were after the frame's updates.
struct Sample
{
    glm::vec3 player{0.0f};
    glm::vec3 camera{0.0f};
    glm::vec3 target{0.0f};
    // The view's angle around the vertical, from +x toward +z.
    double Azimuth() const { return std::atan2(target.z - camera.z, target.x - camera.x); }
};

const char* const kFloor = R"(<Object name="Floor"><Transform position="0;-0.5;0" scale="24;1;24"/>
    <Graphics renderable="Mesh_Cube" diffuseColor="0.55;0.55;0.5;1" renderSets="World"/>
    <Physics category="Static" mass="0" restitution="0" shape="AABB" size="24;1;24" collisionIds="0"/></Object>)";

// A static box of the level with the given collision id.
std::string Box(const std::string& name, const std::string& position, const std::string& size, int id,
                const std::string& extra = "")
{
    return "<Object name=\"" + name + "\"><Transform position=\"" + position + "\" scale=\"" + size + "\" " +
           extra +
           "/><Graphics renderable=\"Mesh_Cube\" diffuseColor=\"0.3;0.6;0.3;1\" renderSets=\"World\"/>"
           "<Physics category=\"Static\" mass=\"0\" restitution=\"0\" shape=\"AABB\" size=\"" +
           size + "\" collisionIds=\"" + std::to_string(id) + "\"/></Object>";
}

// Runs `frames` frames of `step` seconds of the playground's render setup with `objects` and the
// player, the script's frame elements `events`, and returns every frame's sample.
class PlayerRun
{
public:
    PlayerRun(const std::string& objects, const std::string& events, int frames, double step = 0.016,
              const std::string& captureAttributes = "")
    {
        std::ifstream playground(std::string(MORVANE_DATA_FOLDER) + "Configuration/Playground.xml");
        std::stringstream configuration;
        configuration << playground.rdbuf();
        std::string text = configuration.str();
        const std::string game = R"(<GameSystem path="$(ConfigurationFolder)Playground/Game.xml"/>)";
        const std::size_t at = text.find(game);
        EXPECT_NE(at, std::string::npos);
        text.replace(
            at, game.size(),
            R"(<GameSystem path="$(ConfigurationFolder)Renderer.xml"><Objects archetypesFolder="$(DataFolder)Archetypes">)" +
                objects + R"(<Object name="Player" archetype="Player.xml"/></Objects></GameSystem>)");
        m_folder.Write("Scene.xml", text);
        std::ostringstream script;
        script << "<Capture frames=\"" << frames << "\" step=\"" << step
               << "\" width=\"160\" height=\"100\" draw=\"screenshots\" configuration=\"Scene.xml\" "
               << captureAttributes << ">" << events;
        for (int frame = 0; frame < frames; ++frame)
        {
            script << "<Frame number=\"" << frame << "\"><Dump path=\"dump/" << frame << ".txt\"/></Frame>";
        }
        script << "</Capture>";
        const Testing::ToolResult result =
            Testing::RunGame("--capture " + m_folder.Write("run.xml", script.str()));
        EXPECT_EQ(result.exitCode, 0) << result.output;
        m_log = result.output;
        for (int frame = 0; frame < frames; ++frame)
        {
            const Testing::WorldDump dump =
                Testing::ReadWorldDump(m_folder.Path() + "dump/" + std::to_string(frame) + ".txt");
            const auto player = dump.objects.find("Player");
            const auto camera = dump.cameras.find("Camera_World");
            m_samples.push_back({player != dump.objects.end() ? player->second.position : glm::vec3(0.0f),
                                 camera != dump.cameras.end() ? camera->second.position : glm::vec3(0.0f),
                                 camera != dump.cameras.end() ? camera->second.target : glm::vec3(0.0f)});
        }
    }

    const std::vector<Sample>& Samples() const { return m_samples; }
    const Sample& Last() const { return m_samples.back(); }
    const std::string& Log() const { return m_log; }
    std::string Path() const { return m_folder.Path(); }
    double HighestY(std::size_t from = 0) const
    {
        double highest = -1e9;
        for (std::size_t i = from; i < m_samples.size(); ++i)
        {
            highest = std::max(highest, static_cast<double>(m_samples[i].player.y));
        }
        return highest;
    }
    // How many times the player left the floor going up: each jump or bounce once.
    int TakeOffs(double floorY) const
    {
        int count = 0;
        for (std::size_t i = 1; i < m_samples.size(); ++i)
        {
            count += m_samples[i - 1].player.y < floorY + 0.05 && m_samples[i].player.y >= floorY + 0.05;
        }
        return count;
    }

private:
    TempDirectory m_folder;
    std::vector<Sample> m_samples;
    std::string m_log;
};

double Horizontal(const glm::vec3& from, const glm::vec3& to)
{
    return std::hypot(to.x - from.x, to.z - from.z);
}

TEST(PlayerCapture, WalksRelativeToTheViewAndTurnsByPixelsAtAnyFrameRate)
{
    // Looking along +x: W walks along it, D to the right (+z); a turn to the right then bends the walk.
    const PlayerRun run(kFloor,
                        At(5, Key("W")) + AtTime(0.5, Key("W", false) + Key("D")) +
                            AtTime(0.8, Key("D", false) + "<MouseMotion dx=\"100\" dy=\"0\"/>"),
                        80);
    const std::vector<Sample>& samples = run.Samples();
    EXPECT_GT(samples[31].player.x, 1.0);
    EXPECT_NEAR(samples[31].player.z, 0.0, 1e-3);
    EXPECT_GT(samples[50].player.z - samples[31].player.z, 0.5);
    // 100 pixels at sensitivity 5 turn 100 × 0.016 × 0.2 × 5 / 10 = 0.16 rad, whatever the step.
    EXPECT_NEAR(run.Last().Azimuth(), 0.16, 0.01);
    EXPECT_NEAR(run.Last().player.y, 1.0, 0.02);
}

TEST(PlayerCapture, OneScriptWalksJumpsAndTurnsAlikeAt30And60And144FramesASecond)
{
    const std::string events = AtTime(0.1, Key("W")) + AtTime(0.6, "<MouseMotion dx=\"150\" dy=\"-40\"/>") +
                               AtTime(0.9, Key("Space")) + AtTime(1.0, Key("Space", false)) +
                               AtTime(1.6, Key("W", false));
    struct Result
    {
        double distance;
        double azimuth;
        double highest;
    };
    std::map<int, Result> results;
    for (const int rate : {30, 60, 144})
    {
        // At 30 frames a second the system manager's 0.032 s cap is the step.
        const double step = rate == 30 ? 0.032 : 1.0 / rate;
        const PlayerRun run(kFloor, events, static_cast<int>(std::ceil(2.6 / step)), step);
        results[rate] = {Horizontal(run.Samples().front().player, run.Last().player), run.Last().Azimuth(),
                         run.HighestY()};
        EXPECT_NEAR(run.Last().player.y, 1.0, 0.02) << rate << " fps: landed";
    }
    const Result& reference = results[144];
    EXPECT_NEAR(results[30].distance, reference.distance, 0.05 * reference.distance);
    EXPECT_NEAR(results[60].distance, reference.distance, 0.02 * reference.distance);
    for (const int rate : {30, 60})
    {
        EXPECT_NEAR(results[rate].azimuth, reference.azimuth, 0.01) << rate << " fps";
        EXPECT_NEAR(results[rate].highest, reference.highest, 0.05 * (reference.highest - 1.0))
            << rate << " fps";
    }
}

TEST(PlayerCapture, JumpsFiveUnitsAndAHeldPadButtonJumpsOncePerLanding)
{
    const PlayerRun jump(kFloor, At(10, Key("Space")) + At(11, Key("Space", false)), 120);
    EXPECT_GE(jump.HighestY() - 1.0, 5.0);
    EXPECT_LE(jump.HighestY() - 1.0, 5.2);
    EXPECT_NEAR(jump.Last().player.y, 1.0, 0.02);

    // Held for 3 s: a jump at each landing, never one per frame of the ground's grace.
    const PlayerRun held(kFloor, At(10, "<PadButton button=\"a\" down=\"true\"/>"), 200);
    EXPECT_LE(held.HighestY() - 1.0, 5.2);
    EXPECT_GE(held.TakeOffs(1.0), 2);
    EXPECT_LE(held.TakeOffs(1.0), 3);
}

TEST(PlayerCapture, JumpsWithinTheGroundsGraceAfterWalkingOffAnEdge)
{
    // A 1-unit ledge ends at x = 1: walking off it, the player drops below its top within a few frames.
    const std::string ledge = kFloor + Box("Ledge", "-5;0.5;0", "12;1;4", 0);
    const PlayerRun walked(ledge, At(5, Key("W")), 60);
    // Where the player leaves the ledge's top, then the same walk with a jump 0.1 s later.
    std::size_t left = 0;
    while (left + 1 < walked.Samples().size() && walked.Samples()[left].player.y > 1.99)
    {
        ++left;
    }
    ASSERT_LT(left + 10, walked.Samples().size());
    const int late = static_cast<int>(left) + 6;
    const PlayerRun jumped(ledge,
                           At(5, Key("W")) + At(late, Key("Space")) + At(late + 1, Key("Space", false)), 60);
    EXPECT_GT(jumped.HighestY(static_cast<std::size_t>(late)), 4.0);
}

TEST(PlayerCapture, InfiniteJumpToggledByBNeverRespawns)
{
    // Nothing under the start: without infinite jump the fall ends back at the start.
    const PlayerRun falling("", "", 250);
    EXPECT_NEAR(falling.Samples()[240].player.y, 1.0, 0.5);
    const PlayerRun flying("", At(2, Key("B")) + At(3, Key("B", false)), 250);
    EXPECT_NE(flying.Log().find("Infinite jump changed"), std::string::npos);
    for (std::size_t i = 1; i < flying.Samples().size(); ++i)
    {
        ASSERT_LE(flying.Samples()[i].player.y, flying.Samples()[i - 1].player.y + 1e-6) << "frame " << i;
    }
}

TEST(PlayerCapture, ClimbsLedgesUpToTheStepHeightButNeitherHigherOnesNorColumns)
{
    // The step test starts at the centre: a 2-unit player climbs 0.35 + 1.
    const auto walkInto = [](const std::string& box)
    { return PlayerRun(kFloor + box, At(5, Key("W") + Key("Left Shift")), 120); };
    const PlayerRun low = walkInto(Box("Ledge", "4;0.67;0", "2;1.34;2", 0));
    EXPECT_NEAR(low.Last().player.y, 2.34, 0.05);
    const PlayerRun high = walkInto(Box("Ledge", "4;0.68;0", "2;1.36;2", 0));
    EXPECT_NEAR(high.Last().player.y, 1.0, 0.05);
    EXPECT_LT(high.Last().player.x, 2.6);
    const PlayerRun column = walkInto(Box("Column", "4;0.5;0", "0.3;1;0.3", 0));
    EXPECT_NEAR(column.Last().player.y, 1.0, 0.05);
    EXPECT_LT(column.Last().player.x, 3.4);
}

TEST(PlayerCapture, BouncersThrowAlongTheirUpOncePerContactAndJumpersLaunch)
{
    const PlayerRun flat(Box("Bouncer", "0;-0.5;0", "24;1;24", 3), "", 300);
    EXPECT_GT(flat.HighestY(), 10.0);
    // Every landing bounces again, never harder than the first.
    EXPECT_GE(flat.TakeOffs(1.0), 2);
    EXPECT_LT(flat.HighestY(150), flat.HighestY() + 0.5);

    // Running across them: the tilted one, leaning 30 degrees about z, throws back toward -x, and the
    // throw lasts while a direction is held (no brake).
    const auto runOver = [](const std::string& rotation)
    { return PlayerRun(Box("Bouncer", "0;-0.5;0", "24;1;24", 3, rotation), At(0, Key("W")), 40); };
    const PlayerRun straight = runOver("");
    const PlayerRun tilted = runOver(R"(rotationDegrees="30" rotationAxis="0;0;1")");
    EXPECT_LT(tilted.Last().player.x, straight.Last().player.x - 3.0);
    EXPECT_NEAR(tilted.HighestY(), straight.HighestY(), 0.2 * straight.HighestY());

    const PlayerRun jumper(Box("Jumper", "0;-0.5;0", "24;1;24", 4),
                           At(10, Key("Space")) + At(11, Key("Space", false)), 150);
    EXPECT_GT(jumper.HighestY() - 1.0, 25.0);
}

TEST(PlayerCapture, RidesAMovingPlatformWithoutSlipping)
{
    const std::string platform = R"(<Object name="Platform"><Transform position="0;-0.25;0" scale="3;0.5;3"/>
        <Graphics renderable="Mesh_Cube" diffuseColor="0.6;0.4;0.8;1" renderSets="World"/>
        <Physics category="Kinematic" mass="0" restitution="0" shape="AABB" size="3;0.5;3" velocity="0;0;1"
                 collisionIds="5"/></Object>)";
    for (const double step : {0.032, 1.0 / 144})
    {
        const PlayerRun ride(platform, "", static_cast<int>(std::round(5.0 / step)), step);
        // The platform moved 5 units; the player stays where it stood on it.
        EXPECT_NEAR(ride.Last().player.z, 5.0, 0.1) << step;
        EXPECT_NEAR(ride.Last().player.x, 0.0, 0.01) << step;
        EXPECT_NEAR(ride.Last().player.y, 1.0, 0.05) << step;
    }
}

TEST(PlayerCapture, AHeadBumpIsNoFloorToJumpFrom)
{
    // The ceiling is half a unit above the head: a jump bumps it at once.
    const std::string room = kFloor + Box("Ceiling", "0;3;0", "6;1;6", 0);
    const PlayerRun bump(room,
                         At(5, Key("Space")) + At(6, Key("Space", false)) + At(12, Key("Space")) +
                             At(13, Key("Space", false)),
                         60);
    // The second press, in the air under the ceiling, does not jump: the player only comes down.
    EXPECT_LE(bump.HighestY(13), bump.Samples()[12].player.y + 1e-4);
    EXPECT_NEAR(bump.Last().player.y, 1.0, 0.02);
}

TEST(PlayerCapture, ARespawnPointIsTakenOnlyAfterTwoSecondsOnTheFloor)
{
    // Walking off after about a second comes back to the start; after three seconds, to where the walk
    // was two seconds in.
    const auto walkOff = [](double length)
    {
        std::ostringstream floor;
        floor << length / 2.0 - 2.0 << ";-0.5;0";
        std::ostringstream size;
        size << length << ";1;4";
        return PlayerRun(Box("Floor", floor.str(), size.str(), 0), At(1, Key("W")), 450);
    };
    const PlayerRun shortWalk = walkOff(14.0);
    const auto backOnFloor = [](const PlayerRun& run)
    {
        for (std::size_t i = 100; i < run.Samples().size(); ++i)
        {
            if (run.Samples()[i].player.y > 0.9 && run.Samples()[i - 1].player.y < 0.0)
            {
                return run.Samples()[i].player;
            }
        }
        return glm::vec3(1e9f);
    };
    EXPECT_NEAR(backOnFloor(shortWalk).x, 0.0, 0.02);
    EXPECT_NEAR(backOnFloor(shortWalk).y, 1.0, 0.01);
    const glm::vec3 longWalk = backOnFloor(walkOff(40.0));
    EXPECT_GT(longWalk.x, 15.0);
    EXPECT_LT(longWalk.x, 30.0);
}

TEST(PlayerCapture, AFallFlashesWhiteSendsOneDieEventAndComesBack)
{
    Testing::LoopbackServer server;
    const TempDirectory settings;
    const std::string analytics = Testing::AnalyticsTo(server.Port(), settings.Path());
    // At 80 steps a second (after the first frame's 0.016 s), frame 202 is 0.05 s into the 0.1 s fade.
    const double step = 0.0125;
    const PlayerRun fall(
        "", At(120, "<Screenshot path=\"clear.png\"/>") + At(202, "<Screenshot path=\"flash.png\"/>"), 300,
        step, analytics);
    Texture::RgbImage clear;
    Texture::RgbImage flash;
    std::string error;
    ASSERT_TRUE(Texture::ReadRgbPng(fall.Path() + "clear.png", clear, error)) << error;
    ASSERT_TRUE(Texture::ReadRgbPng(fall.Path() + "flash.png", flash, error)) << error;
    // The sky in the top row: white over it at sin(π/4) ≈ 0.71.
    for (std::size_t channel = 0; channel < 3; ++channel)
    {
        const double sky = clear.rgb[channel];
        EXPECT_NEAR(flash.rgb[channel], sky + 0.7071 * (255.0 - sky), 3.0) << channel;
    }
    EXPECT_NEAR(fall.Last().player.y, 1.0, 0.5);

    ASSERT_TRUE(server.WaitForRequests(2));
    int deaths = 0;
    for (const Testing::LoopbackServer::Request& request : server.Requests())
    {
        if (request.body.find("Brimora:Player:Die") == std::string::npos)
        {
            continue;
        }
        ++deaths;
        // Put back at the start each frame of the flash, it fell from there: x and z stay 0.
        EXPECT_NE(request.body.find(R"("x":"0.00")"), std::string::npos) << request.body;
        EXPECT_NE(request.body.find(R"("z":"0.00")"), std::string::npos) << request.body;
        EXPECT_NE(request.body.find(R"("y":"-)"), std::string::npos) << request.body;
        // No game logic in this scene, so no level to name.
        EXPECT_EQ(request.body.find("\"area\""), std::string::npos) << request.body;
    }
    EXPECT_EQ(deaths, 1);
}

TEST(PlayerCapture, TheCameraLagsWhenNearAndJumpsWhenFar)
{
    const PlayerRun run(kFloor, At(5, Key("W")), 40);
    const Sample& walking = run.Samples()[30];
    // Half a unit above the centre, a little behind while walking.
    EXPECT_NEAR(walking.camera.y, walking.player.y + 0.5, 1e-3);
    EXPECT_LT(walking.camera.x, walking.player.x);
    EXPECT_GT(walking.camera.x, walking.player.x - 1.0);
    // On the first frame the camera stood farther than √2 away (at Graphics.xml's place): it jumped.
    EXPECT_NEAR(run.Samples()[0].camera.x, run.Samples()[0].player.x, 1e-3);
    EXPECT_NEAR(run.Samples()[0].camera.y, run.Samples()[0].player.y + 0.5, 1e-3);
}

TEST(PlayerCapture, TheWalkLooksAsItShould)
{
    const std::string scene = std::string(kFloor) + Box("Ledge", "6;0.65;-2", "2;1.3;2", 0) +
                              Box("Bouncer", "6;0.1;2", "2;0.2;2", 3);
    const PlayerRun run(scene,
                        At(2, Key("W")) + At(40, Key("W", false) + "<MouseMotion dx=\"60\" dy=\"20\"/>") +
                            At(70, "<Screenshot path=\"walk.png\"/>"),
                        71);
    Texture::RgbImage image;
    std::string error;
    ASSERT_TRUE(Texture::ReadRgbPng(run.Path() + "walk.png", image, error)) << error;
    EXPECT_TRUE(Testing::MatchesGolden(image, "Behavior/PlayerWalk.png"));
}
} // namespace
} // namespace Morvane
