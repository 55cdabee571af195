// Level objects as a level holds them: N moving platforms, N floating objects (the archetype of the door
// pieces) and N triggers, made from the game's archetypes in the real game, behavior and physics
// systems, then one frame: the game system's update, the behaviors' update and the physics step.
// The baseline is a bare loop of the same formulas over plain arrays: a platform's velocity and its
// step, a floater's place about its pivot and its wobble quaternion, a trigger's touching flag against
// the last frame's, and every body's box. The ratio is what objects, components, virtual calls and the
// physics step's pair loops add to the formulas; "behaviors_share" is the behaviors' part of the frame,
// "narrow_phase" the pairs the step tested.
// Nothing touches the triggers: there is no player, as in the part of a level the player is away from.
// Then Door::Initialize, which splits the door's box and makes its 32 pieces from "FloatingObject.xml",
// against 32 objects made from that archetype's tree, parsed once into memory; between runs the pieces
// are initialised and destroyed, outside the timed part on both sides.
#include "Behavior/BehaviorSystem.h"
#include "Behavior/Door/Door.h"
#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/GameRandom/BoxSplit.h"
#include "Behavior/GameRandom/GameRandom.h"
#include "Behavior/MovingPlatform/MovingPlatform.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "GameData.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/PhysicsSystem.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"
#include "System/PathWrapper/PathWrapper.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>
#include <sstream>
#include <string>
#include <vector>

using namespace Morvane;

namespace
{
constexpr float kStep = 1.0f / 60.0f;
constexpr double kFrameSeconds = 1.0 / 60.0;
constexpr unsigned kSeed = 7;
const char* const kPieceArchetype = "FloatingObject.xml";
const char* const kPieceName = "Door_Floating";

// The layout: each kind in its own layer of cells 8 apart, far enough that no two bodies touch.
constexpr int kRow = 32;
constexpr float kSpacing = 8.0f;
constexpr float kFloaterHeight = 20.0f;
constexpr float kTriggerHeight = 40.0f;
// Each platform shuttles 3 to either side of its cell.
const glm::vec3 kReach(3.0f, 0.0f, 0.0f);
constexpr float kPlatformSpeed = 4.0f;
// The archetypes' boxes are 1 on a side.
const glm::vec3 kHalfBox(0.5f);

using Clock = std::chrono::steady_clock;

glm::vec3 Cell(int index, float height)
{
    return glm::vec3(static_cast<float>(index % kRow) * kSpacing, height,
                     static_cast<float>(index / kRow) * kSpacing);
}

double Seconds(Clock::time_point begin, Clock::time_point end)
{
    return std::chrono::duration<double>(end - begin).count();
}

// What the game's start-up leaves behind for level objects, made once per process: the data paths,
// the factories, the render set and stand-ins their graphics name, the "Main" behavior set, the
// archetypes folder, and the pieces' archetype as a tree in memory.
class Systems
{
public:
    static Systems& Get()
    {
        static Systems systems;
        return systems;
    }

    bool IsReady() const { return m_ready; }
    // "FloatingObject.xml" named as a door names its pieces.
    const IParserData& GetPieceElement() const { return m_piece; }

private:
    Systems()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Benchmarks::UseGameDataFolders();
        Benchmarks::InstallGameFactories();
        m_ready = ParseSystems() && Benchmarks::AddRendererStandIns() && ReadPieceArchetype();
    }
    ~Systems()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Game::System::GetInstance().Release();
        Behavior::System::GetInstance().Release();
        Physics::System::GetInstance().Release();
        Resources::System::GetInstance().Release();
        Graphics::System::GetInstance().Release();
    }
    Systems(const Systems&) = delete;
    Systems& operator=(const Systems&) = delete;

    static bool ParseSystems()
    {
        XMLParserData graphics;
        graphics.FromString(
            R"(<GraphicsSystem><Camera name="Camera_World" position="0;1.7;8" target="0;1.2;0" width="1280")"
            R"( height="800" fov="60" nearPlane="0.05" farPlane="200"/><Set name="World"/></GraphicsSystem>)");
        XMLParserData behaviors;
        behaviors.FromString(R"(<BehaviorSystem><BehaviorSet name="Main"/></BehaviorSystem>)");
        XMLParserData game;
        game.FromString(R"(<GameSystem><Objects archetypesFolder="$(DataFolder)Archetypes"/></GameSystem>)");
        return Graphics::System::GetInstance().Parse(&graphics) &&
               Behavior::System::GetInstance().Parse(&behaviors) &&
               Physics::System::GetInstance().Initialize() && Game::System::GetInstance().Parse(&game);
    }

    bool ReadPieceArchetype()
    {
        const std::string path = PathWrapper::GetInstance().Expand(
            Game::System::GetInstance().GetArchetypesFolder() + "/" + kPieceArchetype);
        std::ifstream file(path);
        std::ostringstream text;
        text << file.rdbuf();
        if (!file || !m_piece.FromString(text.str()))
        {
            return false;
        }
        m_piece.SetAttribute("name", kPieceName);
        return true;
    }

    XMLParserData m_piece;
    bool m_ready = false;
};

// N of each level object, initialised, for one benchmark run; the objects and bodies go with it.
class LevelScene
{
public:
    explicit LevelScene(int count)
    {
        std::srand(kSeed);
        Game::System& game = Game::System::GetInstance();
        for (int index = 0; index < count; ++index)
        {
            Game::Object* platform = game.CreateObjectFromArchetype("MovingPlatform", "MovingPlatform.xml");
            Game::Object* floater = game.CreateObjectFromArchetype("FloatingObject", "FloatingObject.xml");
            Game::Object* trigger = game.CreateObjectFromArchetype("Trigger", "Trigger.xml");
            auto* path = platform != nullptr ? platform->GetComponent<MovingPlatform>() : nullptr;
            auto* floating = floater != nullptr ? floater->GetComponent<FloatingObject>() : nullptr;
            auto* box = trigger != nullptr ? trigger->GetComponent<Game::TransformComponent>() : nullptr;
            if (path == nullptr || floating == nullptr || box == nullptr)
            {
                return;
            }
            const glm::vec3 cell = Cell(index, 0.0f);
            path->SetPath(cell + kReach, cell - kReach, kPlatformSpeed);
            floating->SetPivot(Cell(index, kFloaterHeight));
            box->SetPosition(Cell(index, kTriggerHeight));
        }
        game.Update(kStep);
        const auto objects = static_cast<std::size_t>(3 * count);
        m_ready = game.GetObjectCount() == objects &&
                  Behavior::System::GetInstance().GetComponentCount() == objects &&
                  Physics::System::GetInstance().GetKinematicComponents().size() ==
                      static_cast<std::size_t>(2 * count);
    }
    ~LevelScene()
    {
        Game::System::GetInstance().Release();
        Physics::System::GetInstance().Release();
    }
    LevelScene(const LevelScene&) = delete;
    LevelScene& operator=(const LevelScene&) = delete;

    bool IsReady() const { return m_ready; }

private:
    bool m_ready = false;
};

void LevelObjectsFrame(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the game's systems could not be set up");
        return;
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    const int count = static_cast<int>(state.range(0));
    const LevelScene scene(count);
    if (!scene.IsReady())
    {
        state.SkipWithError("the level objects could not be made from their archetypes");
        return;
    }
    Game::System& game = Game::System::GetInstance();
    Behavior::System& behaviors = Behavior::System::GetInstance();
    Physics::System& physics = Physics::System::GetInstance();
    double behaviorSeconds = 0.0;
    double physicsSeconds = 0.0;
    for (auto _ : state)
    {
        game.Update(kStep);
        const Clock::time_point begin = Clock::now();
        behaviors.Update(kStep);
        const Clock::time_point middle = Clock::now();
        physics.Update(kStep);
        const Clock::time_point end = Clock::now();
        behaviorSeconds += Seconds(begin, middle);
        physicsSeconds += Seconds(middle, end);
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["behaviors_share"] = behaviorSeconds / (behaviorSeconds + physicsSeconds);
    state.counters["frame_share"] = (behaviorSeconds + physicsSeconds) / frames / kFrameSeconds;
    state.counters["narrow_phase"] = static_cast<double>(physics.GetNarrowPhaseCount());
    // The platforms' part of the kinematic bodies that move: a half shows every platform under way.
    const std::vector<Physics::Component*>& bodies = physics.GetKinematicComponents();
    const auto moving =
        std::count_if(bodies.begin(), bodies.end(),
                      [](const Physics::Component* body) { return body->GetVelocity() != glm::vec3(0.0f); });
    state.counters["moving_share"] = static_cast<double>(moving) / static_cast<double>(bodies.size());
}
BENCHMARK(LevelObjectsFrame)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The same objects as plain arrays, with the values the components start from.
struct BareLevel
{
    explicit BareLevel(int count)
    {
        std::srand(kSeed);
        for (int index = 0; index < count; ++index)
        {
            const glm::vec3 cell = Cell(index, 0.0f);
            const glm::vec3 a = cell + kReach;
            const glm::vec3 b = cell - kReach;
            const float distance = glm::length(a - b);
            midpoint.push_back((a + b) * 0.5f);
            platformPosition.push_back(midpoint.back());
            platformVelocity.emplace_back(0.0f);
            direction.push_back((a - b) / distance);
            halfDistanceSquared.push_back((distance * 0.5f) * (distance * 0.5f));
            sign.push_back(1.0f);

            // The draws a floating object makes for its phase, z first.
            const float z = static_cast<float>(std::rand() % 32768) / 32767.0f + 0.8f;
            phase.emplace_back(static_cast<float>(std::rand() % 32768) / 32767.0f - 1.5f, 0.0f, z);
            pivot.push_back(Cell(index, kFloaterHeight));
            floaterPosition.push_back(pivot.back());
            frequency.emplace_back(1.0f, 0.5f, 0.5f);
            amplitude.emplace_back(0.25f, 1.5f, 0.25f);
            rotationSpeed.emplace_back(0.1f);
            rotation.emplace_back(1.0f, 0.0f, 0.0f, 0.0f);

            triggerPosition.push_back(Cell(index, kTriggerHeight));
            contacts.push_back(0);
            touching.push_back(0);
            touchedLastFrame.push_back(0);
        }
        boxMin.resize(static_cast<std::size_t>(2 * count));
        boxMax.resize(static_cast<std::size_t>(2 * count));
    }

    std::vector<glm::vec3> platformPosition;
    std::vector<glm::vec3> platformVelocity;
    std::vector<glm::vec3> midpoint;
    std::vector<glm::vec3> direction;
    std::vector<float> halfDistanceSquared;
    std::vector<float> sign;
    std::vector<glm::vec3> pivot;
    std::vector<glm::vec3> phase;
    std::vector<glm::vec3> floaterPosition;
    std::vector<glm::vec3> frequency;
    std::vector<glm::vec3> amplitude;
    std::vector<glm::vec3> rotationSpeed;
    std::vector<glm::quat> rotation;
    std::vector<glm::vec3> triggerPosition;
    std::vector<std::uint8_t> contacts;
    std::vector<std::uint8_t> touching;
    std::vector<std::uint8_t> touchedLastFrame;
    std::vector<glm::vec3> boxMin;
    std::vector<glm::vec3> boxMax;
    std::int64_t entered = 0;
};

void BareFrame(BareLevel& level, float dt)
{
    const std::size_t count = level.platformPosition.size();
    for (std::size_t index = 0; index < count; ++index)
    {
        const float h2 = level.halfDistanceSquared[index];
        glm::vec3& velocity = level.platformVelocity[index];
        const glm::vec3 fromMidpoint = level.platformPosition[index] - level.midpoint[index];
        const float d2 = glm::dot(fromMidpoint, fromMidpoint);
        if (d2 > h2)
        {
            level.sign[index] = glm::dot(fromMidpoint, level.direction[index]) > 0.0f ? -1.0f : 1.0f;
        }
        const float factor = std::max(1.0f - d2 / h2, MovingPlatform::kMinimumSpeedFactor);
        velocity = level.direction[index] * (kPlatformSpeed * level.sign[index] * factor);
        level.platformPosition[index] += velocity * dt;
    }
    for (std::size_t index = 0; index < count; ++index)
    {
        glm::vec3& phase = level.phase[index];
        const glm::vec3& frequency = level.frequency[index];
        const glm::vec3& amplitude = level.amplitude[index];
        phase += frequency * dt;
        const glm::vec3 offset(amplitude.x * frequency.x * std::sin(phase.x) * std::cos(phase.y),
                               amplitude.y * frequency.y * std::cos(phase.y),
                               amplitude.z * frequency.z * std::cos(phase.z));
        level.floaterPosition[index] = level.pivot[index] + offset;
        level.rotation[index] *= glm::quat(level.rotationSpeed[index] * std::sin(phase.x) * dt);
    }
    for (std::size_t index = 0; index < count; ++index)
    {
        level.touchedLastFrame[index] = level.touching[index];
        level.touching[index] = level.contacts[index] != 0 ? 1 : 0;
        level.entered += level.touching[index] != 0 && level.touchedLastFrame[index] == 0 ? 1 : 0;
    }
    // The boxes of the bodies, platforms then triggers, as the step refreshes them.
    for (std::size_t index = 0; index < count; ++index)
    {
        level.boxMin[index] = level.platformPosition[index] - kHalfBox;
        level.boxMax[index] = level.platformPosition[index] + kHalfBox;
        level.boxMin[count + index] = level.triggerPosition[index] - kHalfBox;
        level.boxMax[count + index] = level.triggerPosition[index] + kHalfBox;
    }
}

void BareLevelObjectsFrame(benchmark::State& state)
{
    BareLevel level(static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        BareFrame(level, kStep);
        benchmark::DoNotOptimize(level.boxMax.data());
        benchmark::DoNotOptimize(level.rotation.data());
        benchmark::ClobberMemory();
    }
    state.counters["entered"] = static_cast<double>(level.entered);
}
BENCHMARK(BareLevelObjectsFrame)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A door placed as a level places one, for one benchmark run.
class DoorScene
{
public:
    DoorScene()
    {
        std::srand(kSeed);
        Game::System& game = Game::System::GetInstance();
        m_door = game.CreateObjectFromArchetype("Door", "Door.xml");
        auto* transform = m_door != nullptr ? m_door->GetComponent<Game::TransformComponent>() : nullptr;
        if (transform == nullptr)
        {
            m_door = nullptr;
            return;
        }
        transform->SetPosition(glm::vec3(0.0f, 1.5f, -8.0f));
        transform->SetScale(glm::vec3(4.0f, 3.0f, 1.0f));
        game.Update(kStep);
    }
    ~DoorScene()
    {
        Game::System::GetInstance().Release();
        Physics::System::GetInstance().Release();
    }
    DoorScene(const DoorScene&) = delete;
    DoorScene& operator=(const DoorScene&) = delete;

    Game::Object* GetDoor() const { return m_door; }

private:
    Game::Object* m_door = nullptr;
};

void DoorInitialize(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the game's systems could not be set up");
        return;
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    const DoorScene scene;
    if (scene.GetDoor() == nullptr)
    {
        state.SkipWithError("the door could not be made from its archetype");
        return;
    }
    Game::System& game = Game::System::GetInstance();
    Door door(scene.GetDoor());
    bool made = true;
    for (auto _ : state)
    {
        made = door.Initialize() &&
               door.GetPieceNames().size() == static_cast<std::size_t>(Door::kPieceCount) && made;
        // The pieces go again, so that every run starts from the door alone.
        state.PauseTiming();
        door.Release();
        game.Update(kStep);
        state.ResumeTiming();
    }
    if (!made)
    {
        state.SkipWithError("the door did not make its 32 pieces");
    }
    state.counters["objects_left"] = static_cast<double>(game.GetObjectCount());
}
BENCHMARK(DoorInitialize)->Unit(benchmark::kMicrosecond);

void PiecesFromTreeInMemory(benchmark::State& state)
{
    const Systems& systems = Systems::Get();
    if (!systems.IsReady())
    {
        state.SkipWithError("the game's systems could not be set up");
        return;
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    const DoorScene scene;
    if (scene.GetDoor() == nullptr)
    {
        state.SkipWithError("the door could not be made from its archetype");
        return;
    }
    Game::System& game = Game::System::GetInstance();
    const IParserData* element = &systems.GetPieceElement();
    std::vector<Game::Object*> pieces(Door::kPieceCount);
    for (auto _ : state)
    {
        for (Game::Object*& piece : pieces)
        {
            piece = game.CreateObject(element);
        }
        benchmark::DoNotOptimize(pieces.data());
        state.PauseTiming();
        for (Game::Object* piece : pieces)
        {
            game.MarkForDeletion(piece);
        }
        game.Update(kStep);
        state.ResumeTiming();
    }
    state.counters["objects_left"] = static_cast<double>(game.GetObjectCount());
}
BENCHMARK(PiecesFromTreeInMemory)->Unit(benchmark::kMicrosecond);

// The cut alone, to show its part of Door::Initialize.
void DoorSplit(benchmark::State& state)
{
    std::srand(kSeed);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(BoxSplit::Split(glm::vec3(0.0f, 1.5f, -8.0f), glm::vec3(4.0f, 3.0f, 1.0f),
                                                 Door::kPieceCount, &GameRandom::Draw));
    }
}
BENCHMARK(DoorSplit)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"frame of 100 platforms, floaters, triggers vs bare loop", "BareLevelObjectsFrame/100",
          "LevelObjectsFrame/100", false},
         {"frame of 1000 platforms, floaters, triggers vs bare loop", "BareLevelObjectsFrame/1000",
          "LevelObjectsFrame/1000", false},
         {"Door::Initialize vs 32 objects from a tree in memory", "PiecesFromTreeInMemory", "DoorInitialize",
          false},
         {"BoxSplit::Split alone vs Door::Initialize", "DoorInitialize", "DoorSplit", false}});
}
