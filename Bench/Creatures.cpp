// The creatures as level 3, 4 and a whale's level hold them: a heart, five lookers watching a moving
// player, a whale on a closed path and the companion following the view, made from the game's
// archetypes in the real game, behavior and physics systems, then one frame of their behaviors'
// updates. The baseline is a bare loop of the same formulas over plain values: four beat tables looked
// up and mixed, five lookAt rotations inverted, the whale's reach test, its velocity and its turn, and
// the companion's orbits, drift, wobble, follow, spin and shrink. The ratio is what objects, components,
// handles and virtual calls add to the formulas. Then the whale's path: Whale::Parse of an element of eight
// keyframes (reading, checking, sampling) against the same 100 samples of the same curve from a plain array.
#include "Behavior/BehaviorSystem.h"
#include "Behavior/Heart/Heart.h"
#include "Behavior/Looker/Looker.h"
#include "Behavior/Other/Other.h"
#include "Behavior/Whale/Whale.h"
#include "Behavior/Whale/WhalePath.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "GameData.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/HeadlessMesh.h"
#include "Physics/PhysicsSystem.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioSystem.h"
#include "System/Math/Smoothing.h"
#include "Texture/Texture.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdint>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <memory>
#include <string>
#include <vector>

using namespace Morvane;

namespace
{
constexpr float kStep = 1.0f / 60.0f;
constexpr int kLookerCount = 5;
const glm::vec3 kUp(0.0f, 1.0f, 0.0f);

const std::array<glm::vec3, 8> kKeyframes = {{{-30, 10, -20},
                                              {-10, 14, -40},
                                              {15, 12, -45},
                                              {35, 16, -30},
                                              {40, 12, 0},
                                              {20, 10, 20},
                                              {-5, 14, 25},
                                              {-30, 12, 10}}};

std::string WhaleElement()
{
    std::string element = R"(<Behavior stopAtArrive="false">)";
    for (const glm::vec3& keyframe : kKeyframes)
    {
        element += "<Keyframe pos=\"" + std::to_string(keyframe.x) + ";" + std::to_string(keyframe.y) + ";" +
                   std::to_string(keyframe.z) + "\"/>";
    }
    return element + "</Behavior>";
}

// What the game's start-up leaves behind for the creatures, made once per process.
class Systems
{
public:
    static Systems& Get()
    {
        static Systems systems;
        return systems;
    }
    bool IsReady() const { return m_ready; }

private:
    Systems()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Benchmarks::UseGameDataFolders();
        Benchmarks::InstallGameFactories();
        Resources::System& resources = Resources::System::GetInstance();
        XMLParserData graphics;
        graphics.FromString(
            R"(<GraphicsSystem><Camera name="Camera_World" position="0;1.7;8" target="0;1.2;0" width="1280")"
            R"( height="800" fov="60" nearPlane="0.05" farPlane="200"/><Set name="World"/>)"
            R"(<Set name="World_Textured"/></GraphicsSystem>)");
        XMLParserData behaviors;
        behaviors.FromString(
            R"(<BehaviorSystem><BehaviorSet name="BehaviorSet_Gameplay"/></BehaviorSystem>)");
        XMLParserData game;
        game.FromString(R"(<GameSystem><Objects archetypesFolder="$(DataFolder)Archetypes"/></GameSystem>)");
        // The companion's archetype has an "Audio" element, which the audio system registers when made.
        Audio::System::GetInstance();
        m_ready = Graphics::System::GetInstance().Parse(&graphics) &&
                  Behavior::System::GetInstance().Parse(&behaviors) &&
                  Physics::System::GetInstance().Initialize() && Game::System::GetInstance().Parse(&game) &&
                  resources.AddResource(std::make_unique<Physics::HeadlessMesh>("Mesh_Sphere")) &&
                  resources.AddResource(std::make_unique<Physics::HeadlessMesh>("Mesh_Cube")) &&
                  resources.AddResource(std::make_unique<Graphics::Texture>("Texture_LookerEye"));
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

    bool m_ready = false;
};

// The creatures of one benchmark run, initialised; they go with it.
class CreatureScene
{
public:
    CreatureScene()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Game::System& game = Game::System::GetInstance();
        Game::Object* player = game.CreateObject("Player");
        XMLParserData transform;
        transform.FromString("<Object><Transform/></Object>");
        player->Parse(&transform);
        m_player = player->GetComponent<Game::TransformComponent>();
        Game::Object* heart = game.CreateObjectFromArchetype("Heart", "Heart.xml");
        m_heart = heart != nullptr ? heart->GetComponent<Heart>() : nullptr;
        for (int index = 0; index < kLookerCount; ++index)
        {
            Game::Object* object = game.CreateObjectFromArchetype("Looker", "Looker.xml");
            auto* looker = object != nullptr ? object->GetComponent<Looker>() : nullptr;
            if (looker == nullptr)
            {
                return;
            }
            object->GetComponent<Game::TransformComponent>()->SetPosition(
                glm::vec3(20.0f * static_cast<float>(index), 8.0f, -40.0f));
            looker->SetWatched(m_player);
            m_lookers.push_back(looker);
        }
        Game::Object* whale = game.CreateObjectFromArchetype("Whale", "Whale.xml");
        m_whale = whale != nullptr ? whale->GetComponent<Whale>() : nullptr;
        XMLParserData path;
        path.FromString(WhaleElement());
        if (m_whale != nullptr)
        {
            m_whale->Parse(&path);
        }
        Game::Object* companion = game.CreateObjectFromArchetype("Other", "Other.xml");
        m_other = companion != nullptr ? companion->GetComponent<Other>() : nullptr;
        game.Update(kStep);
        m_camera = Graphics::System::GetInstance().GetCamera("Camera_World");
        if (m_other != nullptr)
        {
            m_other->SetCamera(m_camera);
        }
        m_chamber = m_heart != nullptr ? m_heart->GetChamber(Heart::kBottomRight) : nullptr;
        m_ready = m_player != nullptr && m_chamber != nullptr && m_whale != nullptr && m_other != nullptr &&
                  m_camera != nullptr;
    }
    ~CreatureScene()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Game::System& game = Game::System::GetInstance();
        for (Game::Object* object : std::vector<Game::Object*>(game.GetObjectsInCreationOrder()))
        {
            game.MarkForDeletion(object);
        }
        game.Update(0.0f);
    }
    CreatureScene(const CreatureScene&) = delete;
    CreatureScene& operator=(const CreatureScene&) = delete;

    bool IsReady() const { return m_ready; }
    void Frame(float time)
    {
        const glm::vec3 player(30.0f * std::sin(time), 1.0f, 30.0f * std::cos(time));
        m_player->SetPosition(player);
        m_camera->SetPosition(player);
        m_camera->SetTarget(player + glm::vec3(0.0f, 0.0f, -2.0f));
        m_heart->Update(kStep);
        for (Looker* looker : m_lookers)
        {
            looker->Update(kStep);
        }
        m_whale->Update(kStep);
        m_other->Update(kStep);
    }
    glm::vec3 Sample() const { return m_chamber->GetScale(); }

private:
    Game::TransformComponent* m_player = nullptr;
    Heart* m_heart = nullptr;
    const Game::TransformComponent* m_chamber = nullptr;
    std::vector<Looker*> m_lookers;
    Whale* m_whale = nullptr;
    Other* m_other = nullptr;
    Graphics::Camera* m_camera = nullptr;
    bool m_ready = false;
};

void CreaturesFrame(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the systems could not be made");
        return;
    }
    CreatureScene scene;
    if (!scene.IsReady())
    {
        state.SkipWithError("the creatures could not be made");
        return;
    }
    // Without an audio output each second's heartbeat is a logged error: it goes nowhere, at its cost.
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    float time = 0.0f;
    for (auto _ : state)
    {
        scene.Frame(time);
        time += kStep;
        benchmark::DoNotOptimize(scene.Sample());
    }
}
BENCHMARK(CreaturesFrame);

// The bare formulas: one beat table per chamber of five segments, lookers as positions and rotations,
// the whale as a position, a rotation and an index into its path.
struct BareBeat
{
    std::array<float, 5> durations{0.08f, 0.1f, 0.12f, 0.2f, 0.5f};
    std::array<glm::vec3, 6> states{glm::vec3(0.55f), glm::vec3(0.7f),  glm::vec3(0.58f),
                                    glm::vec3(0.64f), glm::vec3(0.55f), glm::vec3(0.55f)};
    float clock = 0.0f;
};

glm::vec3 BareScale(BareBeat& beat, float dt, bool& started)
{
    beat.clock += dt;
    if (beat.clock >= 1.0f)
    {
        beat.clock = std::fmod(beat.clock, 1.0f);
        started = true;
    }
    float start = 0.0f;
    std::size_t segment = 0;
    while (segment + 1 < beat.durations.size() && beat.clock >= start + beat.durations[segment])
    {
        start += beat.durations[segment++];
    }
    const float f = std::clamp((beat.clock - start) / beat.durations[segment], 0.0f, 1.0f);
    return beat.states[segment] + (beat.states[segment + 1] - beat.states[segment]) * f;
}

glm::quat BareTurn(const glm::quat& from, glm::quat to, float t)
{
    float cosine = glm::dot(from, to);
    if (cosine < 0.0f)
    {
        to = -to;
        cosine = -cosine;
    }
    if (cosine > 0.9999999f)
    {
        return glm::normalize(from + (to - from) * t);
    }
    const float angle = std::acos(cosine);
    return (from * std::sin((1.0f - t) * angle) + to * std::sin(t * angle)) / std::sin(angle);
}

// The companion as plain values: its transform, anchor, drift, wobble and three orbit pivots, with draws
// from the same kind of generator.
struct BareCompanion
{
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 scale{0.3f};
    glm::vec4 colour{1.0f};
    glm::vec3 anchor{0.0f};
    glm::vec3 drift{1.0f, 0.0f, 0.0f};
    glm::vec3 wobblePhases{-1.0f, 0.0f, 1.2f};
    std::array<float, 3> orbitPhases{};
    std::array<glm::vec3, 3> pivots{};
    std::uint32_t random = 1;
    float idle = 5.0f;

    float Draw()
    {
        random = random * 214013u + 2531011u;
        return static_cast<float>((random >> 16) & 0x7fffu) / 32767.0f * 2.0f - 1.0f;
    }

    void Update(const glm::vec3& target, float dt)
    {
        for (std::size_t i = 0; i < orbitPhases.size(); ++i)
        {
            orbitPhases[i] += dt;
            pivots[i] = position + 0.3f * glm::vec3(std::sin(orbitPhases[i]), 0.0f, std::cos(orbitPhases[i]));
        }
        const glm::vec3 draw(Draw(), Draw(), Draw());
        const glm::vec3 sum = drift + (draw - drift) * Math::Smoothing(1.0f, dt);
        if (glm::length(sum) > 1e-4f)
        {
            drift = glm::normalize(sum);
        }
        idle -= dt;
        const glm::vec3 speeds(2.0f, 1.5f, 2.5f);
        const glm::vec3 amplitudes(1.25f, 0.5f, 1.25f);
        wobblePhases += speeds * dt;
        const glm::vec3& p = wobblePhases;
        const float sine = std::sin(p.x);
        const float cosine = std::cos(p.z);
        const glm::vec3 wobble(amplitudes.x * speeds.x * sine * sine * sine * std::cos(p.y),
                               amplitudes.y * speeds.y * std::cos(p.y),
                               amplitudes.z * speeds.z * cosine * cosine * cosine);
        anchor += (target - anchor) * Math::Smoothing(20.0f, dt);
        position += (anchor + wobble - position) * Math::Smoothing(1.0f, dt);
        rotation = rotation * glm::quat(glm::vec3(1.1f) * (std::sin(p.x) * dt));
        scale += (glm::vec3(0.3f) - scale) * Math::Smoothing(10.0f, dt);
        colour += (glm::vec4(1.0f) - colour) * Math::Smoothing(1.0f, dt);
    }
};

void BareCreaturesFrame(benchmark::State& state)
{
    BareCompanion companion;
    std::array<BareBeat, 4> beats;
    std::array<glm::vec3, 4> chambers{};
    std::array<glm::vec3, kLookerCount> lookers{};
    std::array<glm::quat, kLookerCount> lookerRotations{};
    for (int index = 0; index < kLookerCount; ++index)
    {
        lookers[static_cast<std::size_t>(index)] = glm::vec3(20.0f * static_cast<float>(index), 8.0f, -40.0f);
    }
    const std::vector<glm::vec3> path =
        WhalePath::Sample(std::vector<glm::vec3>(kKeyframes.begin(), kKeyframes.end()), true);
    glm::vec3 whale = path.front();
    glm::quat whaleRotation(1.0f, 0.0f, 0.0f, 0.0f);
    std::size_t target = 1;
    int beatsHeard = 0;
    float time = 0.0f;
    for (auto _ : state)
    {
        const glm::vec3 player(30.0f * std::sin(time), 1.0f, 30.0f * std::cos(time));
        time += kStep;
        bool started = false;
        for (std::size_t chamber = 0; chamber < beats.size(); ++chamber)
        {
            chambers[chamber] = glm::vec3(4.0f) * BareScale(beats[chamber], kStep, started);
        }
        beatsHeard += started;
        for (std::size_t index = 0; index < lookers.size(); ++index)
        {
            lookerRotations[index] =
                glm::inverse(glm::quat_cast(glm::mat3(glm::lookAt(player, lookers[index], kUp))));
        }
        while (glm::length(path[target] - whale) <= 1.0f)
        {
            target = (target + 1) % path.size();
        }
        const glm::vec3 velocity = glm::normalize(path[target] - whale) * 20.0f;
        whaleRotation = BareTurn(whaleRotation, glm::quatLookAt(-glm::normalize(velocity), kUp),
                                 Math::Smoothing(1.0f, kStep));
        whale += velocity * kStep;
        companion.Update(player + glm::vec3(0.0f, 0.0f, -2.0f), kStep);
        benchmark::DoNotOptimize(chambers);
        benchmark::DoNotOptimize(lookerRotations);
        benchmark::DoNotOptimize(whaleRotation);
        benchmark::DoNotOptimize(companion);
    }
    benchmark::DoNotOptimize(beatsHeard);
}
BENCHMARK(BareCreaturesFrame);

void WhaleParse(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the systems could not be made");
        return;
    }
    XMLParserData element;
    element.FromString(WhaleElement());
    Game::Object owner("Whale");
    for (auto _ : state)
    {
        Whale whale(&owner);
        whale.Parse(&element);
        benchmark::DoNotOptimize(whale.GetPath().data());
    }
}
BENCHMARK(WhaleParse);

// The same curve from a plain array: centripetal knots, Barry and Goldman's pyramid, closed.
void BareWhalePath(benchmark::State& state)
{
    const auto blend = [](const glm::vec3& a, const glm::vec3& b, float ta, float tb, float t)
    { return a * ((tb - t) / (tb - ta)) + b * ((t - ta) / (tb - ta)); };
    const auto knot = [](const glm::vec3& a, const glm::vec3& b)
    { return std::max(std::sqrt(glm::length(b - a)), 1e-4f); };
    const int count = static_cast<int>(kKeyframes.size());
    for (auto _ : state)
    {
        std::vector<glm::vec3> path;
        path.reserve(WhalePath::kSampleCount);
        for (int sample = 0; sample < WhalePath::kSampleCount; ++sample)
        {
            const float position = static_cast<float>(count) * static_cast<float>(sample) /
                                   static_cast<float>(WhalePath::kSampleCount);
            const int segment = static_cast<int>(position);
            const float t = position - static_cast<float>(segment);
            const auto& p0 = kKeyframes[static_cast<std::size_t>((segment + count - 1) % count)];
            const auto& p1 = kKeyframes[static_cast<std::size_t>(segment % count)];
            const auto& p2 = kKeyframes[static_cast<std::size_t>((segment + 1) % count)];
            const auto& p3 = kKeyframes[static_cast<std::size_t>((segment + 2) % count)];
            const float t1 = knot(p0, p1);
            const float t2 = t1 + knot(p1, p2);
            const float t3 = t2 + knot(p2, p3);
            const float u = t1 + (t2 - t1) * t;
            const glm::vec3 a1 = blend(p0, p1, 0.0f, t1, u);
            const glm::vec3 a2 = blend(p1, p2, t1, t2, u);
            const glm::vec3 a3 = blend(p2, p3, t2, t3, u);
            path.push_back(blend(blend(a1, a2, 0.0f, t2, u), blend(a2, a3, t1, t3, u), t1, t2, u));
        }
        benchmark::DoNotOptimize(path.data());
    }
}
BENCHMARK(BareWhalePath);
} // namespace

int main(int argc, char** argv)
{
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"frame of a heart, 5 lookers, a whale, the companion vs bare loop", "BareCreaturesFrame",
          "CreaturesFrame", false},
         {"Whale::Parse of 8 keyframes vs bare sampling", "BareWhalePath", "WhaleParse", false}});
}
