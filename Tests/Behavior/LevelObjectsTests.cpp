// Buttons, gates, platforms, floaters, ornaments and gravity rooms: their arithmetic in code, and their
// play through the real game from test levels.
#include "Behavior/Door/Door.h"
#include "Behavior/GameRandom/BoxSplit.h"
#include "Behavior/GameRandom/GameRandom.h"
#include "Behavior/MovingPlatform/MovingPlatform.h"
#include "Behavior/RotatingObject/RotatingObject.h"
#include "Behavior/Trigger/Trigger.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Support/GameCapture.h"
#include "Support/LevelRun.h"
#include "Support/LogCapture.h"
#include "Support/LoopbackServer.h"
#include "Support/ParseXml.h"

#include <cmath>
#include <cstdlib>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <limits>

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

float Volume(const glm::vec3& size)
{
    return size.x * size.y * size.z;
}

TEST(BoxSplit, AlwaysGivesTheCountOfFiniteBoxesThatTileTheBox)
{
    const float huge = std::numeric_limits<float>::max();
    const glm::vec3 sizes[] = {{1, 1, 1}, {10, 0.1f, 3}, {0, 1, 1}, {-2, 1, 1}, {huge, 1, 1}};
    for (const int count : {1, 8, Door::kPieceCount})
        for (const glm::vec3& size : sizes)
        {
            std::srand(7);
            const glm::vec3 centre(1.0f, 2.0f, -3.0f);
            const std::vector<BoxSplit::Box> pieces = BoxSplit::Split(centre, size, count, &GameRandom::Draw);
            ASSERT_EQ(pieces.size(), static_cast<std::size_t>(count));
            double volume = 0.0;
            const glm::vec3 extent = glm::abs(size);
            for (const BoxSplit::Box& piece : pieces)
            {
                for (int axis = 0; axis < 3; ++axis)
                {
                    ASSERT_TRUE(std::isfinite(piece.centre[axis]) && std::isfinite(piece.size[axis]));
                    EXPECT_GE(piece.size[axis], 0.0f);
                    // Inside the box, a float's rounding aside.
                    const float slack = 1e-4f * std::max(1.0f, extent[axis]);
                    EXPECT_LE(std::abs(piece.centre[axis] - centre[axis]) + piece.size[axis] * 0.5f,
                              extent[axis] * 0.5f + slack);
                }
                volume += static_cast<double>(Volume(piece.size));
            }
            if (std::isfinite(Volume(extent)))
            {
                EXPECT_NEAR(volume, static_cast<double>(Volume(extent)),
                            1e-4 * std::max(1.0, double(Volume(extent))));
            }
        }
}

// Objects made in code in the real game and physics systems, stepped as the game steps them.
class LevelObjectTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        game.Release();
        Physics::System::GetInstance().Release();
    }

    Game::Object* MakeBody(const std::string& name, const std::string& transform, const std::string& physics)
    {
        Game::Object* object = game.CreateObject(name);
        EXPECT_TRUE(object->Parse(Testing::ParseXml("<Object>" + transform + "</Object>").get()));
        EXPECT_NE(Physics::System::GetInstance().CreateComponentInCode<Physics::Component>(
                      object, *Testing::ParseXml(physics)),
                  nullptr);
        return object;
    }

    Game::System& game = Game::System::GetInstance();
};

const char* const kKinematicBox =
    R"(<Physics category="Kinematic" mass="0" restitution="0" shape="AABB" size="2;0.5;2" collisionIds="5"/>)";

TEST_F(LevelObjectTest, APlatformStaysBetweenItsEndsAtFixedAndUnevenStepsAndReversesAtEach)
{
    for (const bool uneven : {false, true})
    {
        Game::Object* object = MakeBody("Platform", "<Transform/>", kKinematicBox);
        MovingPlatform platform(object);
        ASSERT_TRUE(
            platform.Parse(Testing::ParseXml(R"(<Behavior movementSpeed="8" A="10;2;0" B="0;2;0"/>)").get()));
        ASSERT_TRUE(platform.Initialize());
        auto* transform = object->GetComponent<Game::TransformComponent>();
        EXPECT_EQ(transform->GetPosition(), glm::vec3(5.0f, 2.0f, 0.0f));
        float lowest = 5.0f;
        float highest = 5.0f;
        for (int frame = 0; frame < 2000; ++frame)
        {
            const float dt = uneven ? (frame % 3 == 0 ? 0.1f : 0.004f) : 0.016f;
            platform.Update(dt);
            Physics::System::GetInstance().Update(dt);
            const glm::vec3& position = transform->GetPosition();
            lowest = std::min(lowest, position.x);
            highest = std::max(highest, position.x);
            ASSERT_NEAR(position.y, 2.0f, 1e-4f);
        }
        // Both ends reached, neither passed by more than one step's travel at the slowest speed.
        EXPECT_LT(lowest, 0.2f);
        EXPECT_GT(highest, 9.8f);
        EXPECT_GT(lowest, -0.2f);
        EXPECT_LT(highest, 10.2f);
        game.MarkForDeletion(object);
        game.Update(0.0f);
    }
}

TEST_F(LevelObjectTest, APlatformWithoutADistanceStaysAtItsPointAndSaysSo)
{
    Game::Object* object = MakeBody("Platform", "<Transform/>", kKinematicBox);
    MovingPlatform platform(object);
    ASSERT_TRUE(
        platform.Parse(Testing::ParseXml(R"(<Behavior movementSpeed="8" A="3;1;3" B="3;1;3"/>)").get()));
    Testing::LogCapture log;
    ASSERT_TRUE(platform.Initialize());
    EXPECT_NE(log.Text().find("A and B are both 3;1;3: the platform stays there"), std::string::npos)
        << log.Text();
    for (int frame = 0; frame < 100; ++frame)
    {
        platform.Update(0.016f);
        Physics::System::GetInstance().Update(0.016f);
    }
    EXPECT_EQ(object->GetComponent<Game::TransformComponent>()->GetPosition(), glm::vec3(3.0f, 1.0f, 3.0f));
}

float TurnedDegrees(const Game::TransformComponent& transform)
{
    return glm::degrees(2.0f * std::atan2(transform.GetRotation().z, transform.GetRotation().w));
}

TEST_F(LevelObjectTest, AnOrnamentTurnsFromRestAndOnPastAFullTurn)
{
    Game::Object* object = game.CreateObject("Ornament");
    ASSERT_TRUE(object->Parse(Testing::ParseXml("<Object><Transform/></Object>").get()));
    auto* transform = object->GetComponent<Game::TransformComponent>();
    RotatingObject ornament(object);
    for (int frame = 0; frame < 625; ++frame)
    {
        ornament.Update(0.016f);
    }
    EXPECT_NEAR(TurnedDegrees(*transform), 10.0f, 0.01f);
    // Long steps carry it round: 370 degrees is 10 past the turn.
    for (int frame = 0; frame < 36; ++frame)
    {
        ornament.Update(10.0f);
    }
    const float degrees = TurnedDegrees(*transform);
    EXPECT_NEAR(std::remainder(degrees - 370.0f, 360.0f), 0.0f, 0.05f) << degrees;
}

TEST_F(LevelObjectTest, ATriggerCallsOnEnterStayAndExitWithTheFirstContact)
{
    const char* const body =
        R"(<Physics category="Dynamic" mass="1" restitution="0" shape="AABB" size="1;1;1" collisionIds="2"/>)";
    Game::Object* first = MakeBody("First", R"(<Transform position="0;0;0"/>)", body);
    Game::Object* second = MakeBody("Second", R"(<Transform position="0.2;0;0"/>)", body);
    Game::Object* box =
        MakeBody("Box", R"(<Transform position="0;0;0"/>)",
                 R"(<Physics category="Kinematic" mass="0" restitution="0" resolveContacts="false"
                                     shape="AABB" size="4;4;4" collisionIds="6" collideWithIds="2"/>)");
    Trigger trigger(box);
    ASSERT_TRUE(trigger.Initialize());
    std::vector<std::string> calls;
    const auto name = [](Physics::Component* other)
    { return other == nullptr ? std::string("null") : other->GetParentObject()->GetName(); };
    trigger.SetOnEnter([&](Physics::Component* other) { calls.push_back("enter " + name(other)); });
    trigger.SetOnStay([&](Physics::Component* other) { calls.push_back("stay " + name(other)); });
    trigger.SetOnExit([&](Physics::Component* other) { calls.push_back("exit " + name(other)); });
    const auto step = [&]
    {
        Physics::System::GetInstance().Update(0.016f);
        trigger.Update(0.016f);
    };
    step();
    step();
    for (Game::Object* object : {first, second})
    {
        object->GetComponent<Game::TransformComponent>()->SetPosition(glm::vec3(50.0f, 0.0f, 0.0f));
    }
    step();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].rfind("enter ", 0), 0u);
    EXPECT_EQ(calls[1], "stay " + calls[0].substr(6));
    EXPECT_EQ(calls[2], "exit null");
}

// A long floor ahead (-z) of a player who looks along it.
const char* const kStart =
    R"(<Floor pos="0;-0.5;-10" scale="20;1;40"/><Player pos="0;1;0" yaw="1.5708" pitch="-1.5708"/>)";

std::string Level(const std::string& tags)
{
    return "<Level name=\"Test\">" + std::string(kStart) + tags + "</Level>";
}

// Walks ahead (-z) from `frame` for `frames` frames.
std::string WalkAhead(int frame, int frames)
{
    return At(frame, Key("W")) + At(frame + frames, Key("W", false));
}

TEST(LevelObjectsCapture, AButtonOpensItsGateOnceAndStillDoesAfterTwoRestarts)
{
    Testing::LoopbackServer server;
    const Testing::TempDirectory settings;
    // A button ahead; behind it the gate, walls either side; a second button names a gate placed before it.
    const std::string level = Level(R"(
        <Activatable activatableName="Early" pos="8;1.5;-8" scale="2;3;1"/>
        <Button pos="0;0.15;-4" activate="Gate"/>
        <Button pos="8;0.15;-4" activate="Early"/>
        <Wall pos="-6;1.5;-8" scale="8;3;1"/><Wall pos="6;1.5;-8" scale="8;3;1"/>
        <Activatable activatableName="Gate" pos="0;1.5;-8" scale="4;3;1" color="0.2;0.4;0.9;1"/>)");
    // At 0.032 s a frame: walk, restart, walk, restart, walk; each load is 1 s after its "R".
    const std::string events = DumpAt(1, "start.txt") + WalkAhead(2, 50) + DumpAt(60, "first.txt") +
                               Press(65, "R") + WalkAhead(130, 50) + DumpAt(185, "second.txt") +
                               Press(190, "R") + WalkAhead(255, 50) + DumpAt(310, "third.txt");
    const LevelRun run({{"Level_1.xml", level}}, events, 312, 0.032,
                       Testing::AnalyticsTo(server.Port(), settings.Path()));
    const std::string& log = run.Log();
    EXPECT_EQ(CountOf(log, "Setting activatable: 'Gate'"), 3u) << log;
    EXPECT_EQ(CountOf(log, "Setting activatable: 'Early'"), 3u) << log;
    EXPECT_EQ(CountOf(log, "Marking 'Gate"), 3u) << log;
    EXPECT_EQ(CountOf(log, "Marking 'Early"), 0u) << log;

    const Testing::WorldDump start = run.Dump("start.txt");
    EXPECT_EQ(start.CountNamed("Door_Floating"), 64);
    EXPECT_EQ(start.CountNamed("ButtonOherTrigger"), 2);
    for (const char* name : {"first.txt", "second.txt", "third.txt"})
    {
        const Testing::WorldDump dump = run.Dump(name);
        // Through the gate, with one gate's pieces shrunk to specks and the pressed button gone.
        EXPECT_LT(PlayerPosition(dump).z, -9.0f) << name;
        int specks = 0;
        for (const auto& [object, placed] : dump.objects)
        {
            specks += object.rfind("Door_Floating", 0) == 0 && placed.scale == glm::vec3(0.1f);
        }
        EXPECT_EQ(specks, 32) << name;
        int shrunk = 0;
        for (const auto& [object, placed] : dump.objects)
        {
            shrunk += object.rfind("Button", 0) == 0 && placed.scale == glm::vec3(0.0f);
        }
        EXPECT_EQ(shrunk, 1) << name;
        EXPECT_EQ(dump.CountNamed("Door_Floating"), 64) << name;
    }

    ASSERT_TRUE(server.WaitForRequests(1));
    int presses = 0;
    for (const Testing::LoopbackServer::Request& request : server.Requests())
    {
        if (request.body.find(R"("event_id":"Brimora:Button:Activate")") != std::string::npos)
        {
            ++presses;
            EXPECT_NE(request.body.find(R"("x":"0.00")"), std::string::npos) << request.body;
            EXPECT_NE(request.body.find(R"("z":"-4.00")"), std::string::npos) << request.body;
        }
    }
    EXPECT_EQ(presses, 3);
}

TEST(LevelObjectsCapture, AButtonPlacedAfterItsGateIsNotRelinked)
{
    // After a restart the gate is "Late_NNN" while the button still names "Late": nothing opens.
    const std::string level = Level(R"(
        <Activatable activatableName="Late" pos="0;1.5;-8" scale="20;3;1"/>
        <Button pos="0;0.15;-4" activate="Late"/>)");
    const LevelRun run({{"Level_1.xml", level}}, Press(2, "R") + WalkAhead(70, 40) + DumpAt(115, "end.txt"),
                       116, 0.032);
    EXPECT_NE(run.Log().find("Marking 'Late' for deletion"), std::string::npos) << run.Log();
    EXPECT_GT(PlayerPosition(run.Dump("end.txt")).z, -7.6f);
}

TEST(LevelObjectsCapture, AGravityCeilingLiftsThePlayerAlsoAfterARestartAndGoesWithItsLevel)
{
    // The ceiling's bottom is at 4: its pull reaches the floor under it.
    const std::string ceiling =
        Level(R"(<Floor archetype="GravityPlatform.xml" pos="0;9;-6" scale="6;10;6"/>)");
    const std::string plain = Level("");
    const std::string events = WalkAhead(2, 26) + DumpAt(60, "lifted.txt") + Press(62, "R") +
                               WalkAhead(130, 26) + DumpAt(190, "again.txt") + Press(192, "2") +
                               DumpAt(260, "next.txt");
    const LevelRun run({{"Level_1.xml", ceiling}, {"Level_2.xml", plain}}, events, 262, 0.032);
    for (const char* name : {"lifted.txt", "again.txt"})
    {
        const glm::vec3 player = PlayerPosition(run.Dump(name));
        EXPECT_NEAR(player.y, 3.0f, 0.3f) << name;
        EXPECT_NEAR(player.z, -6.0f, 3.0f) << name;
    }
    EXPECT_EQ(run.Dump("lifted.txt").CountNamed("Trigger"), 6);
    const Testing::WorldDump next = run.Dump("next.txt");
    EXPECT_EQ(next.CountNamed("Trigger"), 0);
    EXPECT_NEAR(PlayerPosition(next).y, 1.0f, 0.05f);
}

TEST(LevelObjectsCapture, APlatformCarriesThePlayerAndFloatersBobAboutTheirPlace)
{
    const std::string level = R"(<Level>
        <MovingPlatform pos="0;0;0" scale="4;1;4" A="6;0;0" B="-6;0;0" movementSpeed="4"/>
        <Player pos="0;1.5;0"/>
        <FloatingObject archetype="FloatingPlatform.xml" pos="0;0;-20" scale="4;1;4"/>
        <Floor pos="0;-30;0" scale="100;1;100"/></Level>)";
    const LevelRun run({{"Level_1.xml", level}}, DumpAt(10, "early.txt") + DumpAt(70, "late.txt"), 71, 0.032);
    for (const char* name : {"early.txt", "late.txt"})
    {
        const Testing::WorldDump dump = run.Dump(name);
        const Testing::DumpedObject* platform = dump.FindNamed("MovingPlatform");
        ASSERT_NE(platform, nullptr);
        const glm::vec3 player = PlayerPosition(dump);
        EXPECT_NEAR(player.x, platform->position.x, 1.0f) << name;
        EXPECT_NEAR(player.y, platform->position.y + 1.5f, 0.1f) << name;
        const Testing::DumpedObject* floater = dump.FindNamed("FloatingObject");
        ASSERT_NE(floater, nullptr);
        EXPECT_EQ(floater->position.x, 0.0f);
        EXPECT_EQ(floater->position.z, -20.0f);
        EXPECT_LE(std::abs(floater->position.y), 0.8f + 1e-4f);
    }
    EXPECT_GT(std::abs(run.Dump("late.txt").FindNamed("MovingPlatform")->position.x), 1.0f);
}
} // namespace
} // namespace Morvane
