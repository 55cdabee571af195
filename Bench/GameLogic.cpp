// Loading a level as the game does. GameLogic::LoadLevel of the largest shipped level against a bare
// baseline in the same run: tinyxml2 reading the level file and, once per object the load creates, that
// object's archetype file (the engine keeps archetype trees, so after the first load it reads only the
// level; the rest is building objects). Then the frame in which a load happens (LoadLevel, the game
// system initialising the new objects and destroying the last level's, the behaviors and the physics
// step) against the median ordinary frame of the same level, the player standing at its start. Both
// frames are timed one by one and each run reports the median of a batch, which other work on a shared
// machine seldom moves; their CPU column is the whole batch's. Nothing is drawn: meshes and the white
// texture are stand-ins, but the captions' textures need an OpenGL context.
#include "Behavior/GameLogic/GameLogic.h"

#include "Behavior/BehaviorSystem.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Font/Font.h"
#include "GameData.h"
#include "GlContext.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/PhysicsSystem.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioSystem.h"
#include "Sound/Sound.h"
#include "System/PathWrapper/PathWrapper.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <tinyxml2.h>
#include <vector>

using namespace Morvane;

namespace
{
constexpr float kStep = 1.0f / 60.0f;
constexpr double kFrameSeconds = 1.0 / 60.0;

using Clock = std::chrono::steady_clock;

// The archetype of every object a load of `level` creates, as often as it creates it: each tag that
// names one, a trigger for the door, the player's three companions (its controller makes them) and the
// pause room's seven walls, six labels and three triggers. Checked against the objects the load really
// makes, so that a level with other makers is noticed.
std::vector<std::string> ArchetypesOfLoad(const IParserData& level)
{
    std::vector<std::string> archetypes;
    for (const IParserData* child = level.GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        const GameLogic::LevelTag* tag = GameLogic::FindLevelTag(child->GetName());
        if (tag == nullptr || tag->archetype == nullptr)
        {
            continue;
        }
        archetypes.push_back(child->GetAttribute("archetype", tag->archetype));
        const std::string name = tag->tag;
        if (name == "Door")
        {
            archetypes.emplace_back("Trigger.xml");
        }
        else if (name == "Player")
        {
            archetypes.insert(archetypes.end(), {"FadeInOut.xml", "Other.xml", "ParticleSystem_Cord.xml"});
        }
    }
    archetypes.insert(archetypes.end(), 7, "Wall.xml");
    archetypes.insert(archetypes.end(), 6, "WorldText.xml");
    archetypes.insert(archetypes.end(), 3, "Trigger.xml");
    return archetypes;
}

// One frame of the game without rendering: new objects initialised and marked ones destroyed, the
// behaviors (the player's controller and the game logic among them), then the physics step.
void Frame()
{
    Game::System::GetInstance().Update(kStep);
    Behavior::System::GetInstance().Update(kStep);
    Physics::System::GetInstance().Update(kStep);
}

// What the game's start-up leaves behind for a level change, made once per process: the context, the
// data paths, the factories, the sound output, the cameras and render sets, the font and the music
// loaded, the game logic with its "Sun" and "BackgroundMusic", and the largest level loaded once.
class Systems
{
public:
    static Systems& Get()
    {
        static Systems systems;
        return systems;
    }

    bool IsReady() const { return m_ready; }
    GameLogic& GetLogic() const { return *m_logic; }
    const std::string& GetLevelPath() const { return m_levelPath; }
    // The level file, then the archetype file of each object a load creates.
    const std::vector<std::string>& GetFiles() const { return m_files; }
    int GetObjectsPerLoad() const { return m_objectsPerLoad; }
    bool BaselineMatches() const { return m_objectsPerLoad + 1 == static_cast<int>(m_files.size()); }

private:
    Systems()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        // Opened while "LocalFolder" is still build/Bench, which the context's constants expect.
        m_context.emplace();
        if (!m_context->IsReady())
        {
            return;
        }
        Benchmarks::UseGameDataFolders();
        Benchmarks::InstallGameFactories();
        m_ready = ParseSystems() && PrepareResources() && MakeGameLogic() && LoadOnce();
    }
    ~Systems()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Game::System::GetInstance().Release();
        Behavior::System::GetInstance().Release();
        Physics::System::GetInstance().Release();
        m_context.reset();
        Audio::System::GetInstance().Release();
        Input::System::GetInstance().Release();
    }
    Systems(const Systems&) = delete;
    Systems& operator=(const Systems&) = delete;

    static bool ParseSystems()
    {
        XMLParserData graphics;
        graphics.FromString(
            R"(<GraphicsSystem><Camera name="Camera_World" position="0;1.7;8" target="0;1.2;0" width="1280")"
            R"( height="800" fov="60" nearPlane="0.05" farPlane="200"/><Camera name="Camera_GUI")"
            R"( mode="Orthogonal" position="0;0;1" target="0;0;0" width="1280" height="800" nearPlane="0.1")"
            R"( farPlane="10"/><Set name="World"/><Set name="World_Textured"/><Set name="Fade"/>)"
            R"(</GraphicsSystem>)");
        XMLParserData behaviors;
        behaviors.FromString(R"(<BehaviorSystem><BehaviorSet name="Main"/></BehaviorSystem>)");
        return Graphics::System::GetInstance().Parse(&graphics) &&
               Behavior::System::GetInstance().Parse(&behaviors) &&
               Physics::System::GetInstance().Initialize() && Audio::System::GetInstance().Initialize() &&
               Input::System::GetInstance().Initialize();
    }

    // The game's definitions, with stand-ins for what only a renderer uses. The font and the music
    // are "multiThreaded": they come through the load thread, and by the time a player changes level
    // they are there, so the run waits for them.
    static bool PrepareResources()
    {
        Resources::System& resources = Resources::System::GetInstance();
        return Benchmarks::PrepareGamePacks() && Benchmarks::AddCompanionStandIns() &&
               Benchmarks::WaitUntilInitialized({resources.GetResource<Graphics::Font>("Font_Sans"),
                                                 resources.GetResource<Audio::Sound>("Sound_Level1")},
                                                kStep);
    }

    // As in the game's configuration, without a level to load at parse time and without analytics.
    bool MakeGameLogic()
    {
        XMLParserData objects;
        objects.FromString(
            R"(<GameSystem><Objects archetypesFolder="$(DataFolder)Archetypes">)"
            R"(<Object name="Sun"><Transform/><Graphics renderable="Mesh_Cube" diffuseColor="1;0.95;0.8;1"/>)"
            R"(</Object><Object name="BackgroundMusic"><Transform/><Audio volume="0.6"/></Object>)"
            R"(<Object name="GameLogic"><Transform/><Behavior type="BehaviorComponent_GameLogic")"
            R"( gameAnalytics="false" behaviorSets="Main"/></Object></Objects></GameSystem>)");
        Game::System& game = Game::System::GetInstance();
        if (!game.Parse(&objects))
        {
            return false;
        }
        game.Update(kStep);
        Game::Object* object = game.GetObject(GameLogic::kObjectName);
        m_logic = object != nullptr ? object->GetComponent<GameLogic>() : nullptr;
        return m_logic != nullptr;
    }

    // The first load reads the archetype files, as the game's first level does; the runs measure the
    // loads after it. It also counts the objects a load creates for the baseline's files.
    bool LoadOnce()
    {
        PathWrapper& paths = PathWrapper::GetInstance();
        const std::string name = Benchmarks::LargestLevel(paths.Expand("$(DataFolder)Levels"));
        if (name.empty())
        {
            return false;
        }
        m_levelPath = "$(CurrentLevel)Levels/" + name;
        FileParser parser;
        const IParserData* level = parser.Parse(paths.Expand(m_levelPath));
        if (level == nullptr)
        {
            return false;
        }
        m_files = {paths.Expand(m_levelPath)};
        const std::string& folder = Game::System::GetInstance().GetArchetypesFolder();
        for (const std::string& archetype : ArchetypesOfLoad(*level))
        {
            m_files.push_back(paths.Expand(folder + "/" + archetype));
        }
        Game::System& game = Game::System::GetInstance();
        const std::size_t before = game.GetObjectCount();
        if (!m_logic->LoadLevel(m_levelPath))
        {
            return false;
        }
        m_objectsPerLoad = static_cast<int>(game.GetObjectCount() - before);
        Frame();
        return true;
    }

    std::optional<Benchmarks::GlContext> m_context;
    GameLogic* m_logic = nullptr;
    std::string m_levelPath;
    std::vector<std::string> m_files;
    int m_objectsPerLoad = 0;
    bool m_ready = false;
};

void BareLevelParse(benchmark::State& state)
{
    const Systems& systems = Systems::Get();
    if (!systems.IsReady() || !systems.BaselineMatches())
    {
        state.SkipWithError(systems.IsReady() ? "the load makes objects the baseline does not read"
                                              : "the game's systems could not be set up");
        return;
    }
    for (auto _ : state)
    {
        for (const std::string& path : systems.GetFiles())
        {
            tinyxml2::XMLDocument document;
            benchmark::DoNotOptimize(document.LoadFile(path.c_str()));
        }
    }
    state.counters["files"] = static_cast<double>(systems.GetFiles().size());
}
BENCHMARK(BareLevelParse)->Unit(benchmark::kMicrosecond);

void LoadLevel(benchmark::State& state)
{
    const Systems& systems = Systems::Get();
    if (!systems.IsReady())
    {
        state.SkipWithError("the game's systems could not be set up");
        return;
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    GameLogic& logic = systems.GetLogic();
    bool loaded = true;
    for (auto _ : state)
    {
        loaded = logic.LoadLevel(systems.GetLevelPath()) && loaded;
        // The last level's objects go, so that every load starts from one level, as in the game.
        state.PauseTiming();
        Game::System::GetInstance().Update(kStep);
        state.ResumeTiming();
    }
    if (!loaded)
    {
        state.SkipWithError("the level could not be loaded");
    }
    state.counters["objects"] = static_cast<double>(systems.GetObjectsPerLoad());
}
BENCHMARK(LoadLevel)->Unit(benchmark::kMicrosecond);

// Times `frames` frames one by one and gives the run their median; "frame_share" is the median's part
// of a 60 Hz frame (16.67 ms), "objects" the objects alive after the run.
template <class FrameFunction> void TimeMedianFrames(benchmark::State& state, int frames, FrameFunction frame)
{
    std::vector<double> seconds(static_cast<std::size_t>(frames));
    double medians = 0.0;
    for (auto _ : state)
    {
        for (double& time : seconds)
        {
            const Clock::time_point begin = Clock::now();
            frame();
            time = std::chrono::duration<double>(Clock::now() - begin).count();
        }
        const auto middle = seconds.begin() + frames / 2;
        std::nth_element(seconds.begin(), middle, seconds.end());
        state.SetIterationTime(*middle);
        medians += *middle;
    }
    state.counters["frame_share"] = medians / static_cast<double>(state.iterations()) / kFrameSeconds;
    state.counters["objects"] = static_cast<double>(Game::System::GetInstance().GetObjectCount());
}

void LevelFrame(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the game's systems could not be set up");
        return;
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    // The player settled on the start's floor.
    for (int frame = 0; frame < 60; ++frame)
    {
        Frame();
    }
    TimeMedianFrames(state, 101, &Frame);
}
BENCHMARK(LevelFrame)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

void LoadingFrame(benchmark::State& state)
{
    const Systems& systems = Systems::Get();
    if (!systems.IsReady())
    {
        state.SkipWithError("the game's systems could not be set up");
        return;
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    GameLogic& logic = systems.GetLogic();
    bool loaded = true;
    TimeMedianFrames(state, 9,
                     [&]
                     {
                         loaded = logic.LoadLevel(systems.GetLevelPath()) && loaded;
                         Frame();
                     });
    if (!loaded)
    {
        state.SkipWithError("the level could not be loaded");
    }
}
BENCHMARK(LoadingFrame)->UseManualTime()->Iterations(50)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    // The captions' textures are made on the GL driver's threads (llvmpipe's here) while the main
    // thread waits: wall time tells what a load costs, CPU time what the engine itself does.
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"LoadLevel vs bare tinyxml2 parses (main thread CPU)", "BareLevelParse", "LoadLevel", false},
         {"LoadLevel vs bare tinyxml2 parses (wall time)", "BareLevelParse", "LoadLevel", false, true},
         {"loading frame vs the level's median frame (wall time)", "LevelFrame/iterations:200/manual_time",
          "LoadingFrame/iterations:50/manual_time", false, true}});
}
