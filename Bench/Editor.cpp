// The level editor's costs against bare baselines in the same run. Saving: LevelWriter::Write of the
// largest shipped level's tree, without and with a few edits, against tinyxml2 printing the same file's
// document. Picking: Editor::Pick over 100 and 1,000 real GameEditables (a standalone editor given
// them), against a bare slab loop over packed min/max arrays; both must pick the same box. Frames: the
// largest level stepped (game system, behaviors, physics) with the editor in edit mode against play
// mode, the player settled first; the debug shapes a frame queues are drawn and emptied outside the
// timing, as the debug pass would, so that every frame queues into empty lists. No selection is made
// (that takes a mouse click), so the gizmos are not drawn. F9: Files::System::CheckWatches over 500
// unchanged files against a bare stat loop over the same paths.
#include "Behavior/Editor/Editor.h"

#include "Behavior/BehaviorSystem.h"
#include "Behavior/Editor/GameEditable.h"
#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/GameLogic/LevelWriter.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Files/FilesSystem.h"
#include "Font/Font.h"
#include "GameData.h"
#include "GlContext.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"
#include "Input/InputSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/HeadlessMesh.h"
#include "Physics/PhysicsSystem.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Sound/AudioSystem.h"
#include "Sound/Sound.h"
#include "System/PathWrapper/PathWrapper.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <tinyxml2.h>
#include <vector>

using namespace Morvane;

namespace
{
constexpr float kStep = 1.0f / 60.0f;
using Clock = std::chrono::steady_clock;

void Frame()
{
    Game::System::GetInstance().Update(kStep);
    Behavior::System::GetInstance().Update(kStep);
    Physics::System::GetInstance().Update(kStep);
}

// The game's start-up as far as the editor needs it, made once per process: the context, the cameras
// (the editor's among them), the sets (the editor's paused), the font and the debug shader loaded, the
// game logic, "Cursor" and "Editor", and the largest level loaded.
class Systems
{
public:
    static Systems& Get()
    {
        static Systems systems;
        return systems;
    }
    bool IsReady() const { return m_ready; }
    const std::string& GetLevelFile() const { return m_levelFile; }
    // Draws the queued debug shapes and waits for the rasteriser, so that it costs no timed frame.
    void DrainDebugShapes() const
    {
        Graphics::System::GetInstance().DrawDebugShapes(m_debugShader);
        glFinish();
    }

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
        m_ready = ParseSystems() && PrepareResources() && MakeObjectsAndLoad();
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
        const std::string camera = R"( width="1280" height="800" fov="60" nearPlane="0.05" farPlane="200")";
        XMLParserData graphics;
        graphics.FromString(
            R"(<GraphicsSystem><Camera name="Camera_World" position="0;1.7;8" target="0;1.2;0" debugCamera="true")" +
            camera + R"(/><Camera name="Camera_Editor" position="0;1.7;8" target="0;1.2;0")" + camera +
            R"(/><Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0" width="1280")"
            R"( height="800" nearPlane="0.1" farPlane="10"/><Set name="World"/><Set name="World_Textured"/>)"
            R"(<Set name="Fade"/><Set name="GUI"/></GraphicsSystem>)");
        XMLParserData behaviors;
        behaviors.FromString(
            R"(<BehaviorSystem><BehaviorSet name="Main"/><BehaviorSet name="BehaviorSet_Gameplay"/>)"
            R"(<BehaviorSet name="BehaviorSet_Editor" paused="true"/></BehaviorSystem>)");
        return Graphics::System::GetInstance().Parse(&graphics) &&
               Behavior::System::GetInstance().Parse(&behaviors) &&
               Physics::System::GetInstance().Initialize() && Audio::System::GetInstance().Initialize() &&
               Input::System::GetInstance().Initialize();
    }

    bool PrepareResources()
    {
        Resources::System& resources = Resources::System::GetInstance();
        // What the player's companions name beyond the shared stand-ins; nothing here draws them.
        if (!Benchmarks::PrepareGamePacks() ||
            !resources.AddResource(std::make_unique<Physics::HeadlessMesh>("Mesh_Sphere")) ||
            !resources.AddResource(std::make_unique<Physics::HeadlessMesh>("Mesh_Particle")) ||
            !resources.AddResource(std::make_unique<Graphics::Texture>("Texture_SoftDisc")))
        {
            return false;
        }
        m_debugShader = resources.GetResource<Graphics::Shader>("Shader_Debug");
        return Benchmarks::WaitUntilInitialized({resources.GetResource<Graphics::Font>("Font_Sans"),
                                                 resources.GetResource<Audio::Sound>("Sound_Level1"),
                                                 m_debugShader},
                                                kStep);
    }

    // As the game's configuration has them, without analytics; then the level, settled.
    bool MakeObjectsAndLoad()
    {
        XMLParserData objects;
        objects.FromString(
            R"(<GameSystem><Objects archetypesFolder="$(DataFolder)Archetypes">)"
            R"(<Object name="Sun"><Transform/><Graphics renderable="Mesh_Cube"/></Object>)"
            R"(<Object name="BackgroundMusic"><Transform/><Audio volume="0.6"/></Object>)"
            R"(<Object name="GameLogic"><Transform/><Behavior type="BehaviorComponent_GameLogic")"
            R"( gameAnalytics="false" behaviorSets="Main"/></Object>)"
            R"(<Object name="Cursor"><Transform scale="4;4;1"/><Graphics renderable="Mesh_ScreenQuad")"
            R"( texture="Texture_White" renderSets="GUI"/></Object><Object name="Editor"><Transform/>)"
            R"(<Behavior type="BehaviorComponent_Editor" camera="Camera_Editor" behaviorSets="Main"/>)"
            R"(</Object></Objects></GameSystem>)");
        Game::System& game = Game::System::GetInstance();
        if (!game.Parse(&objects))
        {
            return false;
        }
        game.Update(kStep);
        Game::Object* object = game.GetObject(GameLogic::kObjectName);
        GameLogic* logic = object != nullptr ? object->GetComponent<GameLogic>() : nullptr;
        PathWrapper& paths = PathWrapper::GetInstance();
        const std::string level =
            "$(CurrentLevel)Levels/" + Benchmarks::LargestLevel(paths.Expand("$(DataFolder)Levels"));
        m_levelFile = paths.Expand(level);
        if (logic == nullptr || Editor::m_instance == nullptr || !logic->LoadLevel(level))
        {
            return false;
        }
        for (int frame = 0; frame < 60; ++frame)
        {
            Frame();
            DrainDebugShapes();
        }
        return Editor::m_instance->GetEditableCount() > 0;
    }

    std::optional<Benchmarks::GlContext> m_context;
    Graphics::Shader* m_debugShader = nullptr;
    std::string m_levelFile;
    bool m_ready = false;
};

bool Ready(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the game's systems could not be set up");
    }
    return Systems::Get().IsReady();
}

void BarePrint(benchmark::State& state)
{
    tinyxml2::XMLDocument document;
    if (!Ready(state) || document.LoadFile(Systems::Get().GetLevelFile().c_str()) != tinyxml2::XML_SUCCESS)
    {
        return;
    }
    for (auto _ : state)
    {
        tinyxml2::XMLPrinter printer;
        document.Print(&printer);
        benchmark::DoNotOptimize(printer.CStr());
    }
}
BENCHMARK(BarePrint);

void Write(benchmark::State& state, bool edited)
{
    FileParser parser;
    const IParserData* level = Ready(state) ? parser.Parse(Systems::Get().GetLevelFile()) : nullptr;
    if (level == nullptr)
    {
        return;
    }
    // Two moves, a scale and a deletion, as a short editing session leaves them.
    LevelEdits edits;
    if (edited)
    {
        edits.attributes[4]["pos"] = "1.5;0;-4";
        edits.attributes[8]["pos"] = "0;5.25;-50";
        edits.attributes[8]["scale"] = "6;1;4";
        edits.deleted.insert(12);
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(LevelWriter::Write(*level, edits));
    }
}
BENCHMARK_CAPTURE(Write, NoEdits, false);
BENCHMARK_CAPTURE(Write, FewEdits, true);

// `count` boxes of sizes 1 to 3 in a grid 4 apart, each a real editable given to a standalone editor,
// and the same boxes packed; the ray looks down across the grid, through several of them.
class PickScene
{
public:
    explicit PickScene(int count) : m_picker(nullptr)
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Game::System& game = Game::System::GetInstance();
        const int row = static_cast<int>(std::ceil(std::sqrt(static_cast<float>(count))));
        for (int index = 0; index < count; ++index)
        {
            const glm::vec3 centre(4.0f * static_cast<float>(index % row), 0.0f,
                                   -4.0f * static_cast<float>(index / row));
            const glm::vec3 size(1.0f + static_cast<float>(index % 3), 1.0f + static_cast<float>(index % 2),
                                 2.0f);
            Game::Object* object = game.CreateObject("PickBox");
            XMLParserData element;
            element.FromString("<Object><Transform position=\"" + Text(centre) + "\" scale=\"" + Text(size) +
                               "\"/></Object>");
            object->Parse(&element);
            XMLParserData description("Behavior");
            description.SetAttribute("type", "BehaviorComponent_GameEditable");
            description.SetAttribute("behaviorSets", "BehaviorSet_Editor");
            auto* editable = dynamic_cast<GameEditable*>(
                Behavior::System::GetInstance().CreateComponent(object, &description));
            object->AddComponent(editable);
            m_objects.push_back(object);
            m_editables.push_back(editable);
            m_mins.push_back(centre - size * 0.5f);
            m_maxs.push_back(centre + size * 0.5f);
        }
        game.Update(0.0f);
        for (GameEditable* editable : m_editables)
        {
            m_picker.Register(editable);
        }
        const glm::vec3 far(4.0f * static_cast<float>(row - 1), 0.0f, -4.0f * static_cast<float>(row - 1));
        m_ray.origin = glm::vec3(-6.0f, 20.0f, 6.0f);
        m_ray.direction = glm::normalize(far - m_ray.origin);
    }
    ~PickScene()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        for (Game::Object* object : m_objects)
        {
            Game::System::GetInstance().MarkForDeletion(object);
        }
        Game::System::GetInstance().Update(0.0f);
    }
    PickScene(const PickScene&) = delete;
    PickScene& operator=(const PickScene&) = delete;

    GameEditable* Pick() const { return m_picker.Pick(m_ray); }
    // The nearest box the ray enters within reach, by index; -1 for none.
    int BarePick() const
    {
        const glm::vec3 inverse = 1.0f / m_ray.direction;
        int nearest = -1;
        float nearestDistance = PickRay::kReach;
        for (std::size_t at = 0; at < m_mins.size(); ++at)
        {
            const glm::vec3 a = (m_mins[at] - m_ray.origin) * inverse;
            const glm::vec3 b = (m_maxs[at] - m_ray.origin) * inverse;
            const glm::vec3 near = glm::min(a, b);
            const glm::vec3 far = glm::max(a, b);
            const float enter = std::max({0.0f, near.x, near.y, near.z});
            const float leave = std::min({PickRay::kReach, far.x, far.y, far.z});
            if (enter <= leave && enter <= nearestDistance)
            {
                nearest = static_cast<int>(at);
                nearestDistance = enter;
            }
        }
        return nearest;
    }
    GameEditable* At(int index) const
    {
        return index < 0 ? nullptr : m_editables[static_cast<std::size_t>(index)];
    }

private:
    static std::string Text(const glm::vec3& value)
    {
        return std::to_string(value.x) + ";" + std::to_string(value.y) + ";" + std::to_string(value.z);
    }

    Editor m_picker;
    PickRay m_ray;
    std::vector<Game::Object*> m_objects;
    std::vector<GameEditable*> m_editables;
    std::vector<glm::vec3> m_mins;
    std::vector<glm::vec3> m_maxs;
};

void Pick(benchmark::State& state, bool bare)
{
    if (!Ready(state))
    {
        return;
    }
    const PickScene scene(static_cast<int>(state.range(0)));
    if (scene.Pick() == nullptr || scene.Pick() != scene.At(scene.BarePick()))
    {
        {
            GameEditable* e = scene.Pick();
            int bi = scene.BarePick();
            int ei = -1;
            for (int i = 0; i < state.range(0); ++i) if (scene.At(i) == e) ei = i;
            std::fprintf(stderr, "DEBUG editor %d bare %d\n", ei, bi);
            if (e) { auto m = e->GetBoxMin(), M = e->GetBoxMax(); std::fprintf(stderr, "E %f %f %f  %f %f %f\n", m.x,m.y,m.z,M.x,M.y,M.z); }
        }
        state.SkipWithError("Editor::Pick and the bare loop pick different boxes");
        return;
    }
    for (auto _ : state)
    {
        if (bare)
        {
            benchmark::DoNotOptimize(scene.BarePick());
        }
        else
        {
            benchmark::DoNotOptimize(scene.Pick());
        }
    }
}
BENCHMARK_CAPTURE(Pick, Editor, false)->Arg(100)->Arg(1000);
BENCHMARK_CAPTURE(Pick, Bare, true)->Arg(100)->Arg(1000);

// Frames timed one by one (the shapes drawn between them untimed); the wall column is the frames alone.
void LevelFrame(benchmark::State& state, bool editing)
{
    if (!Ready(state))
    {
        return;
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    Editor::m_instance->SetEditMode(editing);
    for (auto _ : state)
    {
        const Clock::time_point begin = Clock::now();
        Frame();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - begin).count());
        Systems::Get().DrainDebugShapes();
    }
    state.counters["editables"] = static_cast<double>(Editor::m_instance->GetEditableCount());
    Editor::m_instance->SetEditMode(false);
}
BENCHMARK_CAPTURE(LevelFrame, Play, false)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LevelFrame, Edit, true)->UseManualTime()->Unit(benchmark::kMicrosecond);

// 500 files written once, each watched (or stat'ed) by its path.
class WatchedFiles
{
public:
    WatchedFiles()
    {
        for (int index = 0; index < kCount; ++index)
        {
            const std::string name = "Watch_" + std::to_string(index);
            m_paths.push_back(m_folder.Write(name + ".xml", "<Level/>"));
            Files::System::GetInstance().AddWatch(name, m_paths.back(),
                                                  [this](const std::string&) { ++m_calls; });
        }
    }
    ~WatchedFiles()
    {
        for (int index = 0; index < kCount; ++index)
        {
            Files::System::GetInstance().RemoveWatch("Watch_" + std::to_string(index));
        }
    }
    WatchedFiles(const WatchedFiles&) = delete;
    WatchedFiles& operator=(const WatchedFiles&) = delete;

    static constexpr int kCount = 500;
    const std::vector<std::string>& GetPaths() const { return m_paths; }
    int GetCalls() const { return m_calls; }

private:
    Benchmarks::ScratchFolder m_folder;
    std::vector<std::string> m_paths;
    int m_calls = 0;
};

void CheckWatches(benchmark::State& state)
{
    const WatchedFiles files;
    for (auto _ : state)
    {
        Files::System::GetInstance().CheckWatches();
    }
    // The loaded level's own watch is among them.
    state.counters["watches"] = static_cast<double>(Files::System::GetInstance().GetWatchCount());
    if (files.GetCalls() != 0)
    {
        state.SkipWithError("an unchanged file was called back");
    }
}
BENCHMARK(CheckWatches)->Unit(benchmark::kMicrosecond);

void BareStat(benchmark::State& state)
{
    const WatchedFiles files;
    for (auto _ : state)
    {
        for (const std::string& path : files.GetPaths())
        {
            struct stat status
            {
            };
            benchmark::DoNotOptimize(stat(path.c_str(), &status));
        }
    }
}
BENCHMARK(BareStat)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"LevelWriter::Write, no edits, vs tinyxml2 printing", "BarePrint", "Write/NoEdits", false},
         {"LevelWriter::Write, 4 edits, vs tinyxml2 printing", "BarePrint", "Write/FewEdits", false},
         {"Editor::Pick, 100 editables, vs bare slab loop", "Pick/Bare/100", "Pick/Editor/100", false},
         {"Editor::Pick, 1000 editables, vs bare slab loop", "Pick/Bare/1000", "Pick/Editor/1000", false},
         {"edit-mode frame vs play-mode frame (wall, frames only)", "LevelFrame/Play/manual_time",
          "LevelFrame/Edit/manual_time", false, true},
         {"CheckWatches, 500 unchanged, vs bare stat loop", "BareStat", "CheckWatches", false}});
}
