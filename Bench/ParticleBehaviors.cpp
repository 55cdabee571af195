// The particle behaviors' updates on particle arrays (never drawn): the dust, the cord, the aura and
// the sparks, each at its own count and as many systems as make about 10,000 particles, against a bare
// loop of the same math over plain arrays drawing from the same generator. The ratio is what the
// objects, the graphics' arrays and the common fade add. Then level 6's floor laying out 8, 16 and 32
// slots (twice as many pieces) as the player keeps walking on.
#include "Behavior/BehaviorSystem.h"
#include "Behavior/GameRandom/BoxSplit.h"
#include "Behavior/ParticleSystem/ParticleSystem_AppearingFloor.h"
#include "Behavior/ParticleSystem/ParticleSystem_ButtonToDoor.h"
#include "Behavior/ParticleSystem/ParticleSystem_Cord.h"
#include "Behavior/ParticleSystem/ParticleSystem_Dust.h"
#include "Behavior/ParticleSystem/ParticleSystem_OtherAura.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "GameData.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/ParticleGraphics/ParticleGraphics.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/HeadlessMesh.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <glm/geometric.hpp>
#include <memory>
#include <string>
#include <vector>

using namespace Morvane;

namespace
{
constexpr float kStep = 1.0f / 60.0f;

// What the game's start-up leaves behind for the behaviors, made once per process.
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
        XMLParserData graphics;
        graphics.FromString(
            R"(<GraphicsSystem><Camera name="Camera_World" position="0;1;0" target="0;1;-1")"
            R"( width="1280" height="800" fov="60" nearPlane="0.05" farPlane="200"/></GraphicsSystem>)");
        XMLParserData behaviors;
        behaviors.FromString(
            R"(<BehaviorSystem><BehaviorSet name="BehaviorSet_Gameplay"/></BehaviorSystem>)");
        XMLParserData game;
        game.FromString(R"(<GameSystem><Objects archetypesFolder="$(DataFolder)Archetypes"/></GameSystem>)");
        m_ready = Graphics::System::GetInstance().Parse(&graphics) &&
                  Behavior::System::GetInstance().Parse(&behaviors) &&
                  Physics::System::GetInstance().Initialize() && Game::System::GetInstance().Parse(&game) &&
                  // The floor's pieces are cubes, which the benchmark never draws.
                  Resources::System::GetInstance().AddResource(
                      std::make_unique<Physics::HeadlessMesh>("Mesh_Cube"));
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

// `systems` objects with particle arrays and the behavior `type`; the companion and the player they use.
class Scene
{
public:
    Scene(const std::string& type, int systems)
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Game::System& game = Game::System::GetInstance();
        m_companion = MakeTransform("Companion", glm::vec3(0.0f, 1.0f, -3.0f));
        m_player = MakeTransform("Player", glm::vec3(0.0f, 2.0f, 0.0f));
        for (int index = 0; index < systems; ++index)
        {
            Game::Object* object = game.CreateObject("Effect");
            XMLParserData element;
            element.FromString("<Object><Transform/><Behavior type=\"BehaviorComponent_ParticleSystem_" +
                               type + "\" behaviorSets=\"BehaviorSet_Gameplay\"/></Object>");
            object->Parse(&element);
            m_particles.push_back(std::make_unique<ParticleGraphics>(object));
            object->AddComponent(m_particles.back().get());
            m_objects.push_back(object);
        }
        game.Update(0.0f);
        for (Game::Object* object : m_objects)
        {
            auto* behavior = object->GetComponent<ParticleBehavior>();
            if (auto* cord = dynamic_cast<ParticleSystem_Cord*>(behavior))
            {
                cord->SetEnds(m_companion, m_player);
            }
            if (auto* aura = dynamic_cast<ParticleSystem_OtherAura*>(behavior))
            {
                aura->SetCompanion(m_companion);
            }
            if (auto* sparks = dynamic_cast<ParticleSystem_ButtonToDoor*>(behavior))
            {
                sparks->SetPath(ParticleSystem_ButtonToDoor::PathBetween(glm::vec3(4.0f, 0.2f, 0.0f),
                                                                         glm::vec3(-4.0f, 2.0f, -12.0f)));
            }
            m_behaviors.push_back(behavior);
        }
    }
    ~Scene()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Game::System& game = Game::System::GetInstance();
        for (std::size_t index = 0; index < m_objects.size(); ++index)
        {
            m_objects[index]->DetachComponent(m_particles[index].get());
        }
        for (Game::Object* object : std::vector<Game::Object*>(game.GetObjectsInCreationOrder()))
        {
            game.MarkForDeletion(object);
        }
        game.Update(0.0f);
    }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    bool IsReady() const { return !m_behaviors.empty() && m_behaviors.front() != nullptr; }
    void Frame()
    {
        for (ParticleBehavior* behavior : m_behaviors)
        {
            behavior->Update(kStep);
        }
    }
    int Particles() const
    {
        return static_cast<int>(m_particles.size()) * m_particles.front()->GetParticleCount();
    }

private:
    static Game::TransformComponent* MakeTransform(const std::string& name, const glm::vec3& position)
    {
        Game::Object* object = Game::System::GetInstance().CreateObject(name);
        XMLParserData element;
        element.FromString("<Object><Transform/></Object>");
        object->Parse(&element);
        auto* transform = object->GetComponent<Game::TransformComponent>();
        transform->SetPosition(position);
        return transform;
    }

    Game::TransformComponent* m_companion = nullptr;
    Game::TransformComponent* m_player = nullptr;
    std::vector<Game::Object*> m_objects;
    std::vector<std::unique_ptr<ParticleGraphics>> m_particles;
    std::vector<ParticleBehavior*> m_behaviors;
};

void Effect(benchmark::State& state, const char* type)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the systems could not be made");
        return;
    }
    Scene scene(type, static_cast<int>(state.range(0)));
    if (!scene.IsReady())
    {
        state.SkipWithError("the effect could not be made");
        return;
    }
    for (auto _ : state)
    {
        scene.Frame();
    }
    state.SetItemsProcessed(state.iterations() * scene.Particles());
}

// The same formulas over plain arrays: each particle's life, its move and its fade, respawned from a
// generator of the same kind.
struct Plain
{
    explicit Plain(int count) : positions(count), colours(count), lives(count, 3.0f), full(count, 6.0f) {}
    std::vector<glm::vec3> positions;
    std::vector<glm::vec4> colours;
    std::vector<float> lives;
    std::vector<float> full;
    RandomStream random{"Bare"};

    float Fade(std::size_t at, float fade) const
    {
        const float life = lives[at];
        return life <= fade ? life / fade : life >= full[at] - fade ? (full[at] - life) / fade : 1.0f;
    }
};

void BareEffect(benchmark::State& state, int count)
{
    const int systems = static_cast<int>(state.range(0));
    std::vector<Plain> plains(static_cast<std::size_t>(systems), Plain(count));
    const glm::vec3 from(0.0f, 1.0f, -3.0f);
    const glm::vec3 to(0.0f, 1.0f, 0.0f);
    for (auto _ : state)
    {
        for (Plain& plain : plains)
        {
            for (std::size_t at = 0; at < plain.positions.size(); ++at)
            {
                plain.lives[at] -= kStep;
                const glm::vec3 toward = to - plain.positions[at];
                const float distance = glm::length(toward);
                if (plain.lives[at] <= 0.0f || distance <= kStep)
                {
                    plain.positions[at] =
                        from + glm::vec3(plain.random.Signed(), plain.random.Signed(), 0.0f);
                    plain.lives[at] = plain.full[at] = 3.0f + plain.random.Unit();
                }
                else
                {
                    plain.positions[at] += toward * (kStep / distance);
                }
                plain.colours[at].a = plain.Fade(at, 0.1f);
            }
            benchmark::DoNotOptimize(plain.colours.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * systems * count);
}

BENCHMARK_CAPTURE(Effect, Dust, "Dust")->Arg(1)->Arg(34);
BENCHMARK_CAPTURE(BareEffect, Dust, ParticleSystem_Dust::kCount)->Arg(1)->Arg(34);
BENCHMARK_CAPTURE(Effect, Cord, "Cord")->Arg(1)->Arg(20);
BENCHMARK_CAPTURE(BareEffect, Cord, ParticleSystem_Cord::kCount)->Arg(1)->Arg(20);
BENCHMARK_CAPTURE(Effect, Aura, "OtherAura")->Arg(1)->Arg(1000);
BENCHMARK_CAPTURE(BareEffect, Aura, ParticleSystem_OtherAura::kCount)->Arg(1)->Arg(1000);
BENCHMARK_CAPTURE(Effect, Sparks, "ButtonToDoor")->Arg(1)->Arg(10);
BENCHMARK_CAPTURE(BareEffect, Sparks, ParticleSystem_ButtonToDoor::kCount)->Arg(1)->Arg(10);

// A layout on every update: the player walks 6 units a frame.
void FloorLayout(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the systems could not be made");
        return;
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    Game::System& game = Game::System::GetInstance();
    Game::Object* player = game.CreateObject("Player");
    XMLParserData transform;
    transform.FromString("<Object><Transform/></Object>");
    player->Parse(&transform);
    XMLParserData body;
    body.FromString(R"(<Physics category="Dynamic" mass="1" shape="AABB" size="1;2;1"/>)");
    Physics::System::GetInstance().CreateComponentInCode<Physics::Component>(player, body);
    const int slots = static_cast<int>(state.range(0));
    Game::Object* object = game.CreateObject("Floor");
    XMLParserData element;
    element.FromString(
        "<Object><Transform/><Behavior type=\"BehaviorComponent_ParticleSystem_AppearingFloor\" "
        "pieces=\"" +
        std::to_string(2 * slots) + "\" slots=\"" + std::to_string(slots) + "\"/></Object>");
    object->Parse(&element);
    auto* floor = object->GetComponent<ParticleSystem_AppearingFloor>();
    floor->SetPlayer(player);
    game.Update(0.0f);
    auto* playerTransform = player->GetComponent<Game::TransformComponent>();
    float x = 0.0f;
    for (auto _ : state)
    {
        x += 6.0f;
        playerTransform->SetPosition(glm::vec3(x, 1.0f, 0.0f));
        floor->Update(kStep);
    }
    for (Game::Object* each : std::vector<Game::Object*>(game.GetObjectsInCreationOrder()))
    {
        game.MarkForDeletion(each);
    }
    game.Update(0.0f);
}
BENCHMARK(FloorLayout)->Arg(8)->Arg(16)->Arg(32);

// The split alone, for the floor's share of the layout's time.
void BareSplit(benchmark::State& state)
{
    RandomStream random("Bare");
    const int slots = static_cast<int>(state.range(0));
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(BoxSplit::Split(glm::vec3(0.0f, -0.5f, 0.0f), glm::vec3(10.0f, 1.0f, 10.0f),
                                                 slots, [&random] { return random.Draw(); }));
    }
}
BENCHMARK(BareSplit)->Arg(8)->Arg(16)->Arg(32);
} // namespace

int main(int argc, char** argv)
{
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"dust, 300 particles, vs bare loop", "BareEffect/Dust/1", "Effect/Dust/1", false},
         {"dust, 34 systems (10,200), vs bare loop", "BareEffect/Dust/34", "Effect/Dust/34", false},
         {"cord, 500, vs bare loop", "BareEffect/Cord/1", "Effect/Cord/1", false},
         {"cord, 20 systems (10,000), vs bare loop", "BareEffect/Cord/20", "Effect/Cord/20", false},
         {"aura, 10, vs bare loop", "BareEffect/Aura/1", "Effect/Aura/1", false},
         {"aura, 1000 systems (10,000), vs bare loop", "BareEffect/Aura/1000", "Effect/Aura/1000", false},
         {"sparks, 1000, vs bare loop", "BareEffect/Sparks/1", "Effect/Sparks/1", false},
         {"sparks, 10 systems (10,000), vs bare loop", "BareEffect/Sparks/10", "Effect/Sparks/10", false},
         {"floor layout, 8 slots, vs its split alone", "BareSplit/8", "FloorLayout/8", false},
         {"floor layout, 16 slots, vs its split alone", "BareSplit/16", "FloorLayout/16", false},
         {"floor layout, 32 slots, vs its split alone", "BareSplit/32", "FloorLayout/32", false}});
}
