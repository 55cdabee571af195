// Cost of the object model: building objects from an archetype file, initialising and destroying
// them, and updating behaviors in sets.
#include "Behavior/BehaviorComponent.h"
#include "Behavior/BehaviorSystem.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "RatioReporter.h"
#include "System/PathWrapper/PathWrapper.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>

using namespace Morvane;

namespace
{
constexpr int kObjects = 10000;

class Spinner : public Behavior::Component
{
public:
    explicit Spinner(Game::Object* owner) : Behavior::Component(owner) {}
    void Update(const float& dt) override { m_angle += dt; }

private:
    float m_angle = 0.0f;
};

Behavior::Component* CreateSpinner(Game::Object* owner, const IParserData*)
{
    return new Spinner(owner);
}

// A temporary archetypes folder holding "Crate.xml": a transform and one behavior.
class ArchetypeFolder
{
public:
    ArchetypeFolder() : m_path(std::filesystem::temp_directory_path() / "morvane-bench-objects")
    {
        std::filesystem::create_directories(m_path);
        std::ofstream(m_path / "Crate.xml")
            << R"(<Object><Transform position="1;2;3" scale="1;1;1" rotationAxis="0;1;0" rotationDegrees="45"/>)"
            << R"(<Behavior type="BehaviorComponent_Spinner" behaviorSets="Gameplay"/></Object>)";
        PathWrapper::GetInstance().AddPath("BenchArchetypes", m_path.string());
    }
    ~ArchetypeFolder() { std::filesystem::remove_all(m_path); }
    ArchetypeFolder(const ArchetypeFolder&) = delete;
    ArchetypeFolder& operator=(const ArchetypeFolder&) = delete;

private:
    std::filesystem::path m_path;
};

// The archetype folder and the systems, set up once for every run of every benchmark.
void PrepareSystems()
{
    static const ArchetypeFolder folder;
    static const bool prepared = []
    {
        Behavior::System& behaviors = Behavior::System::GetInstance();
        behaviors.m_customComponentFactory = &CreateSpinner;
        XMLParserData configuration;
        configuration.FromString(
            R"(<BehaviorSystem><BehaviorSet name="Gameplay"/><BehaviorSet name="Editor"/><BehaviorSet name="Menu"/>)"
            R"(</BehaviorSystem>)");
        XMLParserData game;
        game.FromString(R"~(<GameSystem><Objects archetypesFolder="$(BenchArchetypes)"/></GameSystem>)~");
        return behaviors.Parse(&configuration) && Game::System::GetInstance().Parse(&game);
    }();
    benchmark::DoNotOptimize(prepared);
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Destroys the objects and, through them, their behaviors; the sets and the folder stay.
void ReleaseSystems()
{
    Game::System::GetInstance().Release();
}

// Creating, initialising and destroying objects from an archetype: through the game system, which
// reads the file once, and as it did before, reading the file for every object. The argument is the
// batch: a level's worth of objects, and ten thousand, where removing each behavior from its set
// (a linear search of the set) starts to dominate.
template <bool ReadEachTime> void CreateInitializeDestroy(benchmark::State& state)
{
    PrepareSystems();
    const std::string archetype = PathWrapper::GetInstance().Expand("$(BenchArchetypes)/Crate.xml");
    Game::System& game = Game::System::GetInstance();
    std::vector<Game::Object*> objects(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
    {
        for (Game::Object*& object : objects)
        {
            if constexpr (ReadEachTime)
            {
                FileParser parser;
                object = game.CreateObject(std::string("crate"));
                object->Parse(parser.Parse(archetype));
            }
            else
            {
                object = game.CreateObjectFromArchetype("crate", "Crate.xml");
            }
        }
        game.Update(0.016f);
        for (Game::Object* object : objects)
        {
            game.MarkForDeletion(object);
        }
        game.Update(0.016f);
    }
    state.counters["objects/s"] = benchmark::Counter(static_cast<double>(objects.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate);
    ReleaseSystems();
}

void ArchetypeKept(benchmark::State& state)
{
    CreateInitializeDestroy<false>(state);
}
BENCHMARK(ArchetypeKept)->Arg(500)->Arg(kObjects)->Unit(benchmark::kMillisecond);

void ArchetypeReadEachTime(benchmark::State& state)
{
    CreateInitializeDestroy<true>(state);
}
BENCHMARK(ArchetypeReadEachTime)->Arg(500)->Arg(kObjects)->Unit(benchmark::kMillisecond);

// One update of behaviors spread over three sets; "ns_per_behavior" is the time per behavior.
void UpdateBehaviorsInThreeSets(benchmark::State& state)
{
    PrepareSystems();
    Game::System& game = Game::System::GetInstance();
    Behavior::System& behaviors = Behavior::System::GetInstance();
    const char* const sets[] = {"Gameplay", "Editor", "Menu"};
    XMLParserData element("Behavior");
    for (int index = 0; index < kObjects; ++index)
    {
        element.SetAttribute("behaviorSets", sets[index % 3]);
        Game::Object* object = game.CreateObject(std::string("spinner"));
        object->AddComponent(behaviors.CreateComponent(object, &element));
    }
    game.Update(0.016f);
    double seconds = 0.0;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        behaviors.Update(0.016f);
        seconds += Seconds(start);
    }
    state.counters["ns_per_behavior"] = seconds * 1e9 / (static_cast<double>(state.iterations()) * kObjects);
    ReleaseSystems();
}
BENCHMARK(UpdateBehaviorsInThreeSets)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"objects from an archetype, 500 at a time: kept tree vs reading the file",
          "ArchetypeReadEachTime/500", "ArchetypeKept/500"},
         {"objects from an archetype, 10000 at a time: kept tree vs reading the file",
          "ArchetypeReadEachTime/10000", "ArchetypeKept/10000"}});
}
