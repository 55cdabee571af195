// The heart, the lookers and the whale in the real game, physics and audio systems, stepped as the game
// steps them, with graphics-free archetypes; then through the real game from test levels.
#include "Behavior/Heart/Heart.h"
#include "Behavior/Looker/Looker.h"
#include "Behavior/Whale/Whale.h"
#include "Behavior/Whale/WhalePath.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioSystem.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"
#include "Support/LogCapture.h"
#include "Support/MessageBoxRecorder.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>
#include <ranges>
#include <utility>
#include <vector>

namespace Morvane
{
namespace
{
using Testing::CountOf;
using Testing::DumpAt;
using Testing::LevelRun;
using Testing::ShotAt;

// Keeps OpenAL Soft off the machine's sound devices: the heartbeat is heard on the no-sound output.
const bool kSilentOutput = setenv("ALSOFT_DRIVERS", "none", 1) == 0;

bool IsFinite(const glm::quat& q)
{
    return std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
}

// Objects made in code in the real game and physics systems; the chambers and tail come from
// graphics-free archetypes.
class CreatureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_archetypes.Write("Ventricle.xml", "<Object><Transform/></Object>");
        m_archetypes.Write("WhaleSegment.xml", "<Object><Transform/></Object>");
        ASSERT_TRUE(game.Parse(Testing::ParseXml("<GameSystem><Objects archetypesFolder=\"" +
                                                 m_archetypes.Path() + "\"/></GameSystem>")
                                   .get()));
    }
    void TearDown() override
    {
        game.Release();
        Physics::System::GetInstance().Release();
    }

    Game::Object* Make(const std::string& name, const std::string& children = "<Transform/>")
    {
        Game::Object* object = game.CreateObject(name);
        EXPECT_TRUE(object->Parse(Testing::ParseXml("<Object>" + children + "</Object>").get()));
        return object;
    }
    static Game::TransformComponent& TransformOf(const Game::Object& object)
    {
        return *object.GetComponent<Game::TransformComponent>();
    }

    Game::System& game = Game::System::GetInstance();
    Testing::TempDirectory m_archetypes;
};

// The shipped heart's "Behavior" element.
const IParserData* ShippedHeart(FileParser& parser)
{
    const IParserData* root = parser.Parse(std::string(MORVANE_DATA_FOLDER) + "Archetypes/Heart.xml");
    for (const IParserData* child = root != nullptr ? root->GetFirstChild() : nullptr; child != nullptr;
         child = child->GetNextSibling())
    {
        if (child->GetName() == "Behavior")
        {
            return child;
        }
    }
    return nullptr;
}

TEST_F(CreatureTest, AHeartBeatsOncePerCycleAndItsChambersNeverJumpEvenWithoutItsSound)
{
    Game::Object* object = Make("Heart", R"(<Transform scale="2;2;2"/>)");
    Heart heart(object);
    FileParser parser;
    const IParserData* shipped = ShippedHeart(parser);
    ASSERT_NE(shipped, nullptr);
    Testing::LogCapture log;
    ASSERT_TRUE(heart.Parse(shipped));
    ASSERT_TRUE(heart.Initialize());
    game.Update(0.0f);
    EXPECT_EQ(game.GetObjectCount(), 5u);
    // Steeper than any segment of the shipped tables (heart scales per second), at the heart's scale 2;
    // a segment run backwards jumps by a whole swell at its ends.
    const float steepest = 2.0f * 2.5f;
    for (const auto& [dt, seconds] : {std::pair(1.0f / 60.0f, 5.5f), std::pair(0.032f, 4.0f)})
    {
        std::vector<glm::vec3> before;
        for (int chamber = 0; chamber < Heart::kChamberCount; ++chamber)
        {
            before.push_back(heart.GetChamber(static_cast<Heart::Chamber>(chamber))->GetScale());
        }
        const int frames = static_cast<int>(std::lround(seconds / dt));
        for (int frame = 0; frame < frames; ++frame)
        {
            heart.Update(dt);
            for (int chamber = 0; chamber < Heart::kChamberCount; ++chamber)
            {
                const glm::vec3 scale = heart.GetChamber(static_cast<Heart::Chamber>(chamber))->GetScale();
                const glm::vec3 step = glm::abs(scale - before[static_cast<std::size_t>(chamber)]);
                const float change = std::max({step.x, step.y, step.z});
                ASSERT_LE(change, steepest * dt + 1e-4f) << "chamber " << chamber << ", frame " << frame;
                before[static_cast<std::size_t>(chamber)] = scale;
            }
        }
    }
    // Nine and a half seconds of one-second cycles, each heard once; no sound resource is defined, and
    // the heart beats on in silence.
    EXPECT_EQ(CountOf(log.Text(), "Could not play sound 'Sound_HeartBeat'"), 9u) << log.Text();
    EXPECT_FALSE(log.Contains("cannot be used")) << "the shipped tables can beat";
    heart.Release();
    game.Update(0.0f);
    EXPECT_EQ(game.GetObjectCount(), 1u) << "the chambers go with the heart";
}

TEST_F(CreatureTest, ABeatTableThatCannotBeatIsAnErrorAndTheChamberTakesTheDefaultBeat)
{
    const char* const tables[] = {
        R"(durations="0.5;0.5" states="1;1;1; 2;2;2")",
        R"(durations="0.5" states="1;1;1; 2;2;2; 3;3;3")",
        R"(durations="0.5;0" states="1;1;1; 2;2;2; 1;1;1")",
        R"(durations="-0.5;1" states="1;1;1; 2;2;2; 1;1;1")",
        R"(durations="nan;1" states="1;1;1; 2;2;2; 1;1;1")",
        R"(durations="inf" states="1;1;1; 2;2;2")",
        R"(durations="1" states="1;1;1; 2;2")",
        R"(durations="1" states="1;1;1; nan;1;1")",
        R"(states="1;1;1")",
    };
    for (const char* table : tables)
    {
        Heart heart(Make("Heart"));
        Testing::LogCapture log;
        ASSERT_TRUE(heart.Parse(
            Testing::ParseXml(std::string("<Behavior><TopRight durations=\"2\" states=\"1;1;1; 1;1;1\"/>") +
                              "<BottomLeft " + table + "/></Behavior>")
                .get()));
        EXPECT_TRUE(log.Contains("/Heart: The beat of 'BottomLeft' cannot be used")) << table << log.Text();
        EXPECT_EQ(CountOf(log.Text(), "cannot be used"), 1u) << table;
        EXPECT_EQ(heart.GetBeat(Heart::kBottomLeft).GetPeriod(), BeatCycle::LubDub().GetPeriod()) << table;
        EXPECT_EQ(heart.GetBeat(Heart::kBottomLeft).GetScale(), BeatCycle::LubDub().GetScale()) << table;
        EXPECT_EQ(heart.GetBeat(Heart::kTopRight).GetPeriod(), 2.0f) << "a good table is kept";
    }
}

// The heartbeat through the real audio system on the no-sound output, listened to from the origin.
TEST_F(CreatureTest, TheHeartbeatIsHeardAtTwentyUnitsAndSilentAtAHundredAndTwenty)
{
    ASSERT_TRUE(kSilentOutput);
    Audio::System& audio = Audio::System::GetInstance();
    Resources::System& resources = Resources::System::GetInstance();
    ASSERT_TRUE(resources.Parse(
        Testing::ParseXml(std::string(R"(<ResourceSystem><Sound name="Sound_HeartBeat" path=")") +
                          MORVANE_DATA_FOLDER + R"(Sounds/HeartBeat.wav" is3D="true"/></ResourceSystem>)")
            .get()));
    const auto levelAt = [&](float distance)
    {
        EXPECT_TRUE(audio.Initialize());
        audio.GetBackend()->SetClock([] { return 0u; });
        audio.SetListener(glm::vec3(0.0f), {0, 0, -1}, {0, 1, 0});
        Heart::PlayBeat({0.0f, 0.0f, -distance});
        std::vector<float> mix(static_cast<std::size_t>(audio.GetBackend()->GetSampleRate()) * 3 / 10);
        EXPECT_EQ(audio.GetBackend()->Render(mix), Audio::Backend::Result::Ok);
        audio.Release();
        resources.UnloadResource(Heart::kBeatSound);
        return std::ranges::max(mix | std::views::transform([](float sample) { return std::fabs(sample); }));
    };
    Testing::LogCapture log;
    EXPECT_GT(levelAt(20.0f), 0.05f);
    EXPECT_EQ(levelAt(120.0f), 0.0f);
    EXPECT_FALSE(log.Contains("Could not")) << log.Text();
    resources.Release();
}

TEST_F(CreatureTest, ALookerFacesWhatItWatchesEveryFrameKeepsItsTurnWhereThereIsNoneAndWarnsOnceWhenItGoes)
{
    Game::Object* lookerObject = Make("Looker", R"(<Transform position="3;2;-5"/>)");
    Game::Object* watchedObject = Make("Player");
    Looker looker(lookerObject);
    ASSERT_TRUE(looker.Initialize());
    looker.Update(0.016f);
    EXPECT_EQ(TransformOf(*lookerObject).GetRotation(), glm::quat(1.0f, 0.0f, 0.0f, 0.0f))
        << "nothing watched";
    looker.SetWatched(&TransformOf(*watchedObject));
    const glm::vec3 centre(3.0f, 2.0f, -5.0f);
    // Around it, then at its centre and straight above and below it, then around again.
    std::vector<glm::vec3> path;
    for (int step = 0; step < 200; ++step)
    {
        const float angle = 0.11f * static_cast<float>(step);
        path.push_back(centre + glm::vec3(10.0f * std::cos(angle), 6.0f * std::sin(0.3f * angle),
                                          10.0f * std::sin(angle)));
        if (step == 100)
        {
            path.insert(path.end(), {centre, centre + glm::vec3(0, 10, 0), centre - glm::vec3(0, 4, 0)});
        }
    }
    glm::quat previous = TransformOf(*lookerObject).GetRotation();
    for (const glm::vec3& where : path)
    {
        TransformOf(*watchedObject).SetPosition(where);
        looker.Update(0.016f);
        const glm::quat rotation = TransformOf(*lookerObject).GetRotation();
        ASSERT_TRUE(IsFinite(rotation));
        const glm::vec3 toward = where - centre;
        if (glm::length(glm::vec3(toward.x, 0.0f, toward.z)) < 1e-4f)
        {
            EXPECT_GT(std::abs(glm::dot(rotation, previous)), 1.0f - 1e-6f)
                << "at or over its centre it keeps its turn";
        }
        else
        {
            const float cosine = glm::dot(rotation * glm::vec3(0, 0, 1), glm::normalize(toward));
            ASSERT_GE(cosine, std::cos(glm::radians(0.5f))) << where.x << ";" << where.y << ";" << where.z;
        }
        previous = rotation;
    }
    game.MarkForDeletion(watchedObject);
    game.Update(0.0f);
    Testing::LogCapture log;
    for (int frame = 0; frame < 3; ++frame)
    {
        looker.Update(0.016f);
    }
    EXPECT_EQ(CountOf(log.Text(), "Looker/Looker: The watched object 'Player' is gone"), 1u) << log.Text();
    EXPECT_EQ(TransformOf(*lookerObject).GetRotation(), previous);
}

const char* const kKinematicBody =
    R"(<Physics category="Kinematic" mass="0" restitution="0" shape="AABB" size="1;1;1" collidable="false"/>)";

// A whale made in code with a kinematic body; Swim steps it and the physics as the game does.
class WhaleTest : public CreatureTest
{
protected:
    Whale& MakeWhale(const std::string& keyframes, const std::string& attributes = "")
    {
        Game::Object* object = Make("Whale", R"(<Transform scale="2;2;4"/>)");
        EXPECT_NE(Physics::System::GetInstance().CreateComponentInCode<Physics::Component>(
                      object, *Testing::ParseXml(kKinematicBody)),
                  nullptr);
        m_whale = std::make_unique<Whale>(object);
        EXPECT_TRUE(m_whale->Parse(
            Testing::ParseXml("<Behavior " + attributes + ">" + keyframes + "</Behavior>").get()));
        EXPECT_TRUE(m_whale->Initialize());
        game.Update(0.0f);
        return *m_whale;
    }
    glm::vec3 Swim(float dt, float seconds)
    {
        const int frames = static_cast<int>(std::lround(seconds / dt));
        for (int frame = 0; frame < frames; ++frame)
        {
            m_whale->Update(dt);
            Physics::System::GetInstance().Update(dt);
        }
        return Position();
    }
    glm::vec3 Position() const { return TransformOf(*m_whale->GetParentObject()).GetPosition(); }
    void TearDown() override
    {
        if (m_whale)
        {
            m_whale->Release();
            m_whale.reset();
        }
        CreatureTest::TearDown();
    }

    std::unique_ptr<Whale> m_whale;
};

const char* const kLoop = R"(<Keyframe pos="0;10;0"/><Keyframe pos="40;12;-30"/><Keyframe pos="0;14;-60"/>
    <Keyframe pos="-40;12;-30"/>)";

TEST_F(WhaleTest, AWhaleThatStopsAtArrivalStaysWithinReachOfItsLastKeyframe)
{
    Whale& whale = MakeWhale(kLoop);
    EXPECT_EQ(Position(), glm::vec3(0.0f, 10.0f, 0.0f));
    EXPECT_EQ(whale.GetPath().size(), static_cast<std::size_t>(WhalePath::kSampleCount));
    Swim(0.016f, 20.0f);
    EXPECT_TRUE(whale.HasArrived());
    const glm::vec3 stopped = Position();
    EXPECT_LE(glm::length(stopped - glm::vec3(-40.0f, 12.0f, -30.0f)), Whale::kArrivalDistance);
    EXPECT_EQ(Swim(0.016f, 3.0f), stopped) << "it must not swim on";
    EXPECT_EQ(whale.GetParentObject()->GetComponent<Physics::Component>()->GetVelocity(), glm::vec3(0.0f));
}

TEST_F(WhaleTest, AWhaleOnAClosedPathLoopsWithItsTailBehindAndTakesItAway)
{
    Whale& whale = MakeWhale(kLoop, R"(stopAtArrive="false")");
    // Longer than a lap (about 200 units at 20 a second): it comes back past its start.
    float nearestToStart = 1e9f;
    for (int second = 0; second < 30; ++second)
    {
        Swim(0.016f, 0.5f);
        if (second > 8)
        {
            nearestToStart = std::min(nearestToStart, glm::length(Position() - glm::vec3(0.0f, 10.0f, 0.0f)));
        }
        // Each segment keeps near the one before it: nothing flies off.
        glm::vec3 before = Position();
        for (const std::string& name : whale.GetSegmentNames())
        {
            const Game::Object* segment = game.GetObject(name);
            ASSERT_NE(segment, nullptr);
            EXPECT_LT(glm::length(TransformOf(*segment).GetPosition() - before), 8.0f) << name;
            before = TransformOf(*segment).GetPosition();
        }
    }
    EXPECT_FALSE(whale.HasArrived());
    EXPECT_LT(nearestToStart, 5.0f);
    m_whale->Release();
    m_whale.reset();
    game.Update(0.0f);
    EXPECT_EQ(game.GetObjectCount(), 1u) << "only the whale's own object is left";
}

TEST_F(WhaleTest, AWhaleSwimsTheSameWayAtThirtySixtyAndAHundredAndFortyFourFramesASecond)
{
    std::vector<glm::vec3> ends;
    for (const float fps : {30.0f, 60.0f, 144.0f})
    {
        MakeWhale(kLoop, R"(stopAtArrive="false")");
        ends.push_back(Swim(1.0f / fps, 6.0f));
        m_whale->Release();
        m_whale.reset();
        game.Release();
        SetUp();
    }
    // Within 2 % of the 120 units swum.
    for (const glm::vec3& end : ends)
    {
        EXPECT_LE(glm::length(end - ends[1]), 0.02f * 120.0f);
    }
}

TEST_F(WhaleTest, KeyframesThatAreNotFiniteOrRepeatAreDroppedAndFewerThanFourAssert)
{
    Game::Object* object = Make("Whale");
    Whale whale(object);
    Testing::LogCapture log;
    ASSERT_TRUE(whale.Parse(Testing::ParseXml(R"(<Behavior stopAtArrive="false"><Keyframe pos="0;0;0"/>
        <Keyframe pos="nan;1;1"/><Keyframe pos="5;0;0"/><Keyframe pos="5;0;0"/><Keyframe pos="5;inf;0"/>
        <Keyframe pos="5;0;5"/><Keyframe pos="0;0;5"/><Keyframe pos="0;0;0"/></Behavior>)")
                                .get()));
    EXPECT_EQ(whale.GetKeyframes(), (std::vector<glm::vec3>{{0, 0, 0}, {5, 0, 0}, {5, 0, 5}, {0, 0, 5}}));
    EXPECT_TRUE(log.Contains("Keyframe 1 'nan;1;1' is not a finite point: dropped")) << log.Text();
    EXPECT_TRUE(log.Contains("Keyframe 3 '5;0;0' repeats the one before: dropped"));
    EXPECT_TRUE(log.Contains("Keyframe 4 '5;inf;0' is not a finite point: dropped"));
    EXPECT_TRUE(log.Contains("The last keyframe repeats the first on a closed path: dropped"));
    for (const glm::vec3& point : whale.GetPath())
    {
        ASSERT_TRUE(std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.z));
    }

    const Testing::MessageBoxRecorder boxes;
    for (const char* keyframes : {R"(<Keyframe pos="0;0;0"/><Keyframe pos="1;0;0"/><Keyframe pos="2;0;0"/>)",
                                  R"(<Keyframe pos="0;0;0"/><Keyframe pos="0;0;0"/><Keyframe pos="0;0;0"/>
                                     <Keyframe pos="1;0;0"/><Keyframe pos="nan;0;0"/>)"})
    {
        Whale few(object);
        try
        {
            few.Parse(Testing::ParseXml(std::string("<Behavior>") + keyframes + "</Behavior>").get());
            ADD_FAILURE() << "no assertion for " << keyframes;
        }
        catch (const AssertionFailure& failure)
        {
            EXPECT_NE(std::string(failure.what()).find("'data.size() >= 4'"), std::string::npos)
                << failure.what();
        }
    }
    Whale pathless(object);
    EXPECT_THROW(pathless.Initialize(), AssertionFailure) << "no element ever gave it keyframes";
}

TEST(WhalePathTest, TheCurvePassesThroughItsKeyframesWithoutCuspsWhereTheyBunch)
{
    // Unevenly spaced, with a tight bend: a uniform Catmull-Rom curve overshoots and loops here.
    const std::vector<glm::vec3> keyframes = {
        {0, 0, 0}, {20, 0, 0}, {20.5f, 0, 0.5f}, {21, 0, 20}, {0, 0, 30}};
    const std::vector<glm::vec3> open = WhalePath::Sample(keyframes, false);
    ASSERT_EQ(open.size(), 100u);
    EXPECT_LT(glm::length(open.front() - keyframes.front()), 1e-4f);
    EXPECT_LT(glm::length(open.back() - keyframes.back()), 1e-4f);
    for (std::size_t segment = 0; segment + 1 < keyframes.size(); ++segment)
    {
        const glm::vec3 previous = segment > 0 ? keyframes[segment - 1] : keyframes[0] * 2.0f - keyframes[1];
        const glm::vec3 next = segment + 2 < keyframes.size() ? keyframes[segment + 2]
                                                              : keyframes.back() * 2.0f - keyframes[segment];
        // Densely along each segment: it moves forward along the chord's side of the plane, never back.
        glm::vec3 before = keyframes[segment];
        const glm::vec3 chord = keyframes[segment + 1] - keyframes[segment];
        for (int step = 1; step <= 200; ++step)
        {
            const glm::vec3 point = WhalePath::Segment(previous, keyframes[segment], keyframes[segment + 1],
                                                       next, static_cast<float>(step) / 200.0f);
            EXPECT_GT(glm::dot(point - before, chord), -1e-4f)
                << "segment " << segment << " turns back at " << step;
            before = point;
        }
        EXPECT_LT(glm::length(before - keyframes[segment + 1]), 1e-3f);
    }
    const std::vector<glm::vec3> closed = WhalePath::Sample(keyframes, true);
    EXPECT_LT(glm::length(closed.front() - keyframes.front()), 1e-4f);
    EXPECT_GT(glm::length(closed.back() - keyframes.front()), 0.1f) << "the start is not repeated";
    EXPECT_LT(glm::length(closed.back() - keyframes.front()), 5.0f) << "but the end comes back toward it";
}

// The real game: the level's custom loads and the whale's tag, and how the creatures look.
const char* const kFloor = R"(<Floor pos="0;-0.5;-10" scale="40;1;60"/>)";

TEST(CreaturesCapture, LevelFourLookersFaceThePlayerPlacedAfterThem)
{
    // The lookers are made by the custom load before the player exists; the avenue's floor under them.
    const std::string level = std::string(R"(<Level><CustomLoad id="Level_4.xml"/>
        <Floor pos="0;-0.5;-300" scale="60;1;260"/><Player pos="0;1;-150" yaw="1.5708" pitch="-1.5708"/>)") +
                              "</Level>";
    const LevelRun run({{"Level_1.xml", level}}, DumpAt(20, "watching.txt") + ShotAt(20, "lookers.png"), 21,
                       0.016);
    const Testing::WorldDump dump = run.Dump("watching.txt");
    const glm::vec3 player = Testing::PlayerPosition(dump);
    int lookers = 0;
    for (const auto& [name, placed] : dump.objects)
    {
        if (name.rfind("Looker", 0) != 0)
        {
            continue;
        }
        ++lookers;
        const float cosine =
            glm::dot(placed.rotation * glm::vec3(0, 0, 1), glm::normalize(player - placed.position));
        EXPECT_GE(cosine, std::cos(glm::radians(0.5f))) << name;
    }
    EXPECT_EQ(lookers, 5);
    EXPECT_TRUE(Testing::MatchesGolden(run.Picture("lookers.png"), "Behavior/Creatures_lookers.png"));
}

TEST(CreaturesCapture, LevelThreesHeartBeatsInSightWithoutComplaint)
{
    const std::string level = std::string(R"(<Level><CustomLoad id="Level_3.xml"/>)") + kFloor +
                              R"(<Player pos="-9;1;-12" yaw="1.5708" pitch="-1.5708"/></Level>)";
    // The chambers swell a tenth of a second into the beat that starts a second after the load.
    const LevelRun run({{"Level_1.xml", level}}, ShotAt(69, "heart.png") + DumpAt(69, "heart.txt"), 70,
                       0.016);
    EXPECT_EQ(CountOf(run.Log(), "Could not p"), 0u) << "the heartbeat plays";
    EXPECT_EQ(run.Dump("heart.txt").CountNamed("Ventricle"), 4);
    EXPECT_TRUE(Testing::MatchesGolden(run.Picture("heart.png"), "Behavior/Creatures_heart.png"));
}

TEST(CreaturesCapture, AWhalePlacedByItsTagSwimsItsPathWithItsTailAndStopsAtItsEnd)
{
    const std::string level = std::string("<Level>") + kFloor +
                              R"(<Player pos="0;1;0" yaw="1.5708" pitch="-1.5708"/>
        <Whale><Keyframe pos="-30;8;-50"/><Keyframe pos="-10;9;-45"/><Keyframe pos="10;10;-45"/>
               <Keyframe pos="30;11;-50"/></Whale></Level>)";
    const LevelRun run({{"Level_1.xml", level}},
                       ShotAt(60, "whale.png") + DumpAt(60, "whale.txt") + DumpAt(300, "arrived.txt"), 301,
                       0.016);
    EXPECT_TRUE(Testing::MatchesGolden(run.Picture("whale.png"), "Behavior/Creatures_whale.png"));
    const Testing::WorldDump swimming = run.Dump("whale.txt");
    EXPECT_EQ(swimming.CountNamed("WhaleSegment"), 3);
    const Testing::DumpedObject* early = swimming.FindNamed("Whale");
    const Testing::WorldDump arrived = run.Dump("arrived.txt");
    const Testing::DumpedObject* late = arrived.FindNamed("Whale");
    ASSERT_TRUE(early != nullptr && late != nullptr);
    EXPECT_GT(early->position.x, -20.0f);
    EXPECT_LT(early->position.x, 10.0f);
    EXPECT_LE(glm::length(late->position - glm::vec3(30.0f, 11.0f, -50.0f)), Whale::kArrivalDistance);
}
} // namespace
} // namespace Morvane
