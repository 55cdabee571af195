// The level editor against bare baselines in the same run. F9: Files::System::CheckWatches over 500
// unchanged files against a bare stat loop over the same paths (run first, before the level adds its
// own watches). Saving: LevelWriter::Write of the largest level's tree, without and with a few edits,
// against tinyxml2 printing the same file. Picking: Editor::Pick over 100 and 1,000 real GameEditables
// given to a standalone editor, against a bare slab loop over packed boxes; both must pick the same
// box. Frames: the largest level stepped in edit mode against play mode, each frame timed alone; the
// debug shapes it queued are drawn between frames, untimed, as the debug pass empties them. No
// selection is made (that takes a mouse click), so the gizmos are not drawn.
#include "Behavior/Editor/Editor.h"

#include "Behavior/Editor/GameEditable.h"
#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/GameLogic/LevelWriter.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Files/FilesSystem.h"
#include "Font/Font.h"
#include "GameData.h"
#include "GlContext.h"
#include "Graphics/OpenGL.h"
#include "Input/InputSystem.h"
#include "RatioReporter.h"
#include "Sound/AudioSystem.h"
#include "Sound/Sound.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <tinyxml2.h>
#include <vector>

using namespace Morvane;

namespace
{
constexpr float kStep = 1.0f / 60.0f;
constexpr int kWatches = 500;

void Frame()
{
    Game::System::GetInstance().Update(kStep);
    Behavior::System::GetInstance().Update(kStep);
    Physics::System::GetInstance().Update(kStep);
}

// The game's start-up as far as the editor needs it, once per process: the context, the world, editor
// and GUI cameras, the sets (the editor's paused), the font, music and debug shader, the game logic,
// "Cursor" and "Editor", and the largest level loaded and settled.
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
    // Draws the queued debug shapes (which empties the lists) and waits for the rasteriser.
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
        const std::string lens = R"( width="1280" height="800" fov="60" nearPlane="0.05" farPlane="200"/>)";
        XMLParserData graphics;
        graphics.FromString(
            R"(<GraphicsSystem><Camera name="Camera_World" position="0;1.7;8" target="0;1.2;0")"
            R"( debugCamera="true")" +
            lens + R"(<Camera name="Camera_Editor" position="0;1.7;8" target="0;1.2;0")" + lens +
            R"(<Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0" width="1280")"
            R"( height="800" nearPlane="0.1" farPlane="10"/><Set name="World"/><Set name="World_Textured"/>)"
            R"(<Set name="Fade"/><Set name="GUI"/></GraphicsSystem>)");
        XMLParserData behaviors;
        behaviors.FromString(R"(<BehaviorSystem><BehaviorSet name="Main"/><BehaviorSet )"
                             R"(name="BehaviorSet_Gameplay"/><BehaviorSet name="BehaviorSet_Editor" )"
                             R"(paused="true"/></BehaviorSystem>)");
        Resources::System& resources = Resources::System::GetInstance();
        m_ready = Graphics::System::GetInstance().Parse(&graphics) &&
                  Behavior::System::GetInstance().Parse(&behaviors) &&
                  Physics::System::GetInstance().Initialize() && Audio::System::GetInstance().Initialize() &&
                  Input::System::GetInstance().Initialize() && Benchmarks::PrepareGamePacks() &&
                  Benchmarks::AddCompanionStandIns() &&
                  Benchmarks::WaitUntilInitialized(
                      {resources.GetResource<Graphics::Font>("Font_Sans"),
                       resources.GetResource<Audio::Sound>("Sound_Level1"),
                       m_debugShader = resources.GetResource<Graphics::Shader>("Shader_Debug")},
                      kStep) &&
                  MakeObjectsAndLoad();
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

    // As the game's configuration has them, without analytics.
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
        const Game::Object* object = game.GetObject(GameLogic::kObjectName);
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

// `kWatches` small files in `folder`, by path.
std::vector<std::string> WriteFiles(const Benchmarks::ScratchFolder& folder)
{
    std::vector<std::string> paths;
    for (int index = 0; index < kWatches; ++index)
    {
        paths.push_back(folder.Write("Level_" + std::to_string(index) + ".xml", "<Level/>"));
    }
    return paths;
}

void CheckWatches(benchmark::State& state)
{
    const Benchmarks::ScratchFolder folder;
    Files::System& files = Files::System::GetInstance();
    int calls = 0;
    // Named one by one, as the game names its watches.
    const std::vector<std::string> paths = WriteFiles(folder);
    for (const std::string& path : paths)
    {
        files.AddWatch(path, path, [&calls](const std::string&) { ++calls; });
    }
    state.counters["watches"] = static_cast<double>(files.GetWatchCount());
    for (auto _ : state)
    {
        files.CheckWatches();
    }
    for (const std::string& path : paths)
    {
        files.RemoveWatch(path);
    }
    if (calls != 0)
    {
        state.SkipWithError("an unchanged file was called back");
    }
}
BENCHMARK(CheckWatches)->Unit(benchmark::kMicrosecond);

void BareStat(benchmark::State& state)
{
    const Benchmarks::ScratchFolder folder;
    const std::vector<std::string> paths = WriteFiles(folder);
    for (auto _ : state)
    {
        for (const std::string& path : paths)
        {
            struct stat status
            {
            };
            benchmark::DoNotOptimize(stat(path.c_str(), &status));
        }
    }
}
BENCHMARK(BareStat)->Unit(benchmark::kMicrosecond);

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
        edits.attributes[8] = {{"pos", "0;5.25;-50"}, {"scale", "6;1;4"}};
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

// `state.range(0)` boxes of sizes 1 to 3 in a grid 4 apart, each an object with a GameEditable given to
// a standalone editor, and the same boxes packed; the ray looks down across the grid at the last box.
void Pick(benchmark::State& state, bool bare)
{
    if (!Ready(state))
    {
        return;
    }
    const Benchmarks::RedirectedOutput quiet("/dev/null");
    Game::System& game = Game::System::GetInstance();
    const int count = static_cast<int>(state.range(0));
    const int row = static_cast<int>(std::ceil(std::sqrt(static_cast<float>(count))));
    Editor picker(nullptr);
    std::vector<Game::Object*> objects;
    std::vector<glm::vec3> mins;
    std::vector<glm::vec3> maxs;
    for (int index = 0; index < count; ++index)
    {
        const glm::vec3 centre(4.0f * static_cast<float>(index % row), 0.0f,
                               -4.0f * static_cast<float>(index / row));
        const glm::vec3 size(1.0f + static_cast<float>(index % 3), 1.0f + static_cast<float>(index % 2),
                             2.0f);
        Game::Object* object = game.CreateObject("PickBox");
        XMLParserData element;
        element.FromString("<Object><Transform position=\"" + std::to_string(centre.x) + ";0;" +
                           std::to_string(centre.z) + "\" scale=\"" + std::to_string(size.x) + ";" +
                           std::to_string(size.y) +
                           ";2\"/><Behavior type=\"BehaviorComponent_GameEditable\"" +
                           " behaviorSets=\"BehaviorSet_Editor\"/></Object>");
        object->Parse(&element);
        objects.push_back(object);
        mins.push_back(centre - size * 0.5f);
        maxs.push_back(centre + size * 0.5f);
    }
    game.Update(0.0f);
    for (const Game::Object* object : objects)
    {
        picker.Register(object->GetComponent<GameEditable>());
    }
    const PickRay ray{glm::vec3(-6.0f, 20.0f, 6.0f),
                      glm::normalize((mins.back() + maxs.back()) * 0.5f - glm::vec3(-6.0f, 20.0f, 6.0f))};
    // The nearest box the ray enters within reach, by index; -1 for none.
    const auto barePick = [&]
    {
        const glm::vec3 inverse = 1.0f / ray.direction;
        int nearest = -1;
        float nearestDistance = PickRay::kReach;
        for (std::size_t at = 0; at < mins.size(); ++at)
        {
            const glm::vec3 a = (mins[at] - ray.origin) * inverse;
            const glm::vec3 b = (maxs[at] - ray.origin) * inverse;
            const glm::vec3 near = glm::min(a, b);
            const glm::vec3 far = glm::max(a, b);
            const float enter = std::max({0.0f, near.x, near.y, near.z});
            if (enter <= std::min({PickRay::kReach, far.x, far.y, far.z}) && enter <= nearestDistance)
            {
                nearest = static_cast<int>(at);
                nearestDistance = enter;
            }
        }
        return nearest;
    };
    const int expected = barePick();
    const GameEditable* picked = picker.Pick(ray);
    if (expected < 0 || picked == nullptr ||
        picked->GetParentObject() != objects[static_cast<std::size_t>(expected)])
    {
        state.SkipWithError("Editor::Pick and the bare loop pick different boxes");
    }
    for (auto _ : state)
    {
        if (bare)
        {
            benchmark::DoNotOptimize(barePick());
        }
        else
        {
            benchmark::DoNotOptimize(picker.Pick(ray));
        }
    }
    for (Game::Object* object : objects)
    {
        game.MarkForDeletion(object);
    }
    game.Update(0.0f);
}
BENCHMARK_CAPTURE(Pick, Editor, false)->Arg(100)->Arg(1000);
BENCHMARK_CAPTURE(Pick, Bare, true)->Arg(100)->Arg(1000);

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
        const auto begin = std::chrono::steady_clock::now();
        Frame();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        Systems::Get().DrainDebugShapes();
    }
    state.counters["editables"] = static_cast<double>(Editor::m_instance->GetEditableCount());
    Editor::m_instance->SetEditMode(false);
}
BENCHMARK_CAPTURE(LevelFrame, Play, false)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LevelFrame, Edit, true)->UseManualTime()->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    // The frames' CPU column includes drawing the debug shapes between them: compare their wall time.
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"CheckWatches, 500 unchanged, vs bare stat loop", "BareStat", "CheckWatches", false},
         {"LevelWriter::Write, no edits, vs tinyxml2 printing", "BarePrint", "Write/NoEdits", false},
         {"LevelWriter::Write, 4 edits, vs tinyxml2 printing", "BarePrint", "Write/FewEdits", false},
         {"Editor::Pick, 100 editables, vs bare slab loop", "Pick/Bare/100", "Pick/Editor/100", false},
         {"Editor::Pick, 1000 editables, vs bare slab loop", "Pick/Bare/1000", "Pick/Editor/1000", false},
         {"edit-mode frame vs play-mode frame (wall, frames only)", "LevelFrame/Play/manual_time",
          "LevelFrame/Edit/manual_time", false, true}});
}
