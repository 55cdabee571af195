// The main menu's frame and the options file, each against a bare loop of the same work in the same run.
// A menu frame: the game and behavior updates of the menu with all its buttons made from their archetype
// (three pages, the credits page shown, so every button of it hit-tests and eases), nothing drawn; the
// bare loop does the same point-in-box tests and colour easing over plain arrays of as many buttons.
// Options: read, check and save the options file against a bare tinyxml2 parse and print of its text.
#include "Behavior/BehaviorSystem.h"
#include "Behavior/Options/OptionValues.h"
#include "Behavior/Options/OptionsFile.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Font/Font.h"
#include "GameData.h"
#include "GlContext.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "RatioReporter.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioSystem.h"
#include "Window/WindowSystem.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <glm/vec2.hpp>
#include <glm/vec4.hpp>
#include <optional>
#include <string>
#include <tinyxml2.h>
#include <unistd.h>
#include <vector>

using namespace Morvane;

namespace
{
constexpr float kStep = 1.0f / 60.0f;

// What the game's start-up leaves for the menu, made once per process: the context, the data paths, the
// factories, the sound output, the GUI and world cameras, the font and the click sounds, and the menu
// with its buttons.
class Systems
{
public:
    static Systems& Get()
    {
        static Systems systems;
        return systems;
    }

    bool IsReady() const { return m_ready; }
    int GetButtonCount() const { return m_buttons; }

private:
    Systems()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        m_context.emplace();
        if (!m_context->IsReady())
        {
            return;
        }
        Benchmarks::UseGameDataFolders();
        Benchmarks::InstallGameFactories();
        m_ready = ParseSystems() && PrepareResources() && MakeMenu();
    }
    ~Systems()
    {
        const Benchmarks::RedirectedOutput quiet("/dev/null");
        Game::System::GetInstance().Release();
        Behavior::System::GetInstance().Release();
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
            R"(<GraphicsSystem><Camera name="Camera_World" position="0;16;26" target="0;4;0" width="1280")"
            R"( height="800" fov="60" nearPlane="0.05" farPlane="400"/><Camera name="Camera_GUI")"
            R"( mode="Orthogonal" position="0;0;1" target="0;0;0" width="1280" height="800" nearPlane="0.1")"
            R"( farPlane="10"/><Set name="World"/><Set name="GUI"/></GraphicsSystem>)");
        XMLParserData behaviors;
        behaviors.FromString(R"(<BehaviorSystem><BehaviorSet name="Main"/></BehaviorSystem>)");
        return Graphics::System::GetInstance().Parse(&graphics) &&
               Behavior::System::GetInstance().Parse(&behaviors) &&
               Audio::System::GetInstance().Initialize() && Input::System::GetInstance().Initialize();
    }

    static bool PrepareResources()
    {
        return Benchmarks::PrepareGamePacks() &&
               Benchmarks::WaitUntilInitialized(
                   {Resources::System::GetInstance().GetResource<Graphics::Font>("Font_Sans")}, kStep);
    }

    // The menu as Levels/Menu.xml makes it, without the scenery; on its credits page, the largest.
    bool MakeMenu()
    {
        XMLParserData objects;
        objects.FromString(
            R"(<GameSystem><Objects archetypesFolder="$(DataFolder)Archetypes">)"
            R"(<Object name="Cursor"><Transform scale="4;4;1"/><Graphics renderable="Mesh_ScreenQuad")"
            R"( renderSets="GUI"/></Object><Object name="Menu"><Transform/><Behavior)"
            R"( type="BehaviorComponent_Menu" behaviorSets="Main"/></Object></Objects></GameSystem>)");
        Game::System& game = Game::System::GetInstance();
        if (!game.Parse(&objects))
        {
            return false;
        }
        const std::size_t before = game.GetObjectCount();
        Frame();
        m_buttons = static_cast<int>(game.GetObjectCount() - before);
        Game::Object* credits = game.GetObject("Credits");
        if (credits == nullptr || m_buttons <= 0)
        {
            return false;
        }
        // Keys, not the cursor, open the credits page: Down twice from "New game", then Enter.
        for (const int key : {SDL_SCANCODE_DOWN, SDL_SCANCODE_DOWN, SDL_SCANCODE_RETURN})
        {
            Press(static_cast<SDL_Scancode>(key));
        }
        return true;
    }

    static void Press(SDL_Scancode scancode)
    {
        for (const bool down : {true, false})
        {
            SDL_Event event{};
            event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
            event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.scancode = scancode;
            event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
            SDL_PushEvent(&event);
            Window::System::GetInstance().Update(kStep);
            Input::System::GetInstance().Update(kStep);
            Frame();
        }
    }

public:
    static void Frame()
    {
        Game::System::GetInstance().Update(kStep);
        Behavior::System::GetInstance().Update(kStep);
    }

private:
    std::optional<Benchmarks::GlContext> m_context;
    int m_buttons = 0;
    bool m_ready = false;
};

void MenuFrame(benchmark::State& state)
{
    if (!Systems::Get().IsReady())
    {
        state.SkipWithError("the menu could not be made");
        return;
    }
    for (auto _ : state)
    {
        Systems::Frame();
    }
    state.counters["buttons"] = Systems::Get().GetButtonCount();
    const Game::Object* back = Game::System::GetInstance().GetObject("BACK");
    const auto* graphics = back != nullptr ? back->GetComponent<Graphics::Component>() : nullptr;
    state.counters["credits_shown"] = graphics != nullptr && graphics->IsVisible() ? 1 : 0;
}
BENCHMARK(MenuFrame)->Unit(benchmark::kMicrosecond);

// The same buttons as plain arrays: a box test of a cursor that moves along the column, the colour eased
// toward normal or hover, as the menu's buttons do each frame.
void BareMenuFrame(benchmark::State& state)
{
    const int count = std::max(Systems::Get().GetButtonCount(), 1);
    std::vector<glm::vec2> centres;
    std::vector<glm::vec2> halfSizes(static_cast<std::size_t>(count), glm::vec2(256.0f, 32.0f));
    std::vector<glm::vec4> colours(static_cast<std::size_t>(count), glm::vec4(0.78f, 0.8f, 0.86f, 1.0f));
    for (int index = 0; index < count; ++index)
    {
        centres.emplace_back(-280.0f, 200.0f - 68.0f * static_cast<float>(index % 8));
    }
    const glm::vec4 normal(0.78f, 0.8f, 0.86f, 1.0f);
    const glm::vec4 hover(1.0f, 0.84f, 0.4f, 1.0f);
    float cursorY = 0.0f;
    for (auto _ : state)
    {
        cursorY = cursorY > 250.0f ? -250.0f : cursorY + 1.0f;
        const glm::vec2 cursor(-280.0f, cursorY);
        for (std::size_t index = 0; index < centres.size(); ++index)
        {
            const glm::vec2 offset = glm::abs(cursor - centres[index]);
            const bool over = offset.x <= halfSizes[index].x && offset.y <= halfSizes[index].y;
            colours[index] += ((over ? hover : normal) - colours[index]) * std::min(kStep * 5.0f, 1.0f);
        }
        benchmark::DoNotOptimize(colours.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BareMenuFrame)->Unit(benchmark::kMicrosecond);

// A player's options file with every value away from its default, in a folder of its own.
class OptionsFolder
{
public:
    OptionsFolder()
    {
        char pattern[] = "/tmp/morvane-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_folder = made != nullptr ? made : "";
        OptionValues values;
        values.fullScreen = true;
        values.volumeTenths = 7;
        values.qualityIndex = 1;
        values.fxaa = false;
        values.verticalSync = false;
        values.invertY = true;
        values.mouseSensitivity = 8;
        m_text = OptionsFile::ToText(values);
        if (!m_folder.empty())
        {
            OptionsFile(GetPath()).Save(values);
        }
    }
    ~OptionsFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }
    OptionsFolder(const OptionsFolder&) = delete;
    OptionsFolder& operator=(const OptionsFolder&) = delete;

    std::filesystem::path GetPath() const { return m_folder / "options.xml"; }
    const std::string& GetText() const { return m_text; }

private:
    std::filesystem::path m_folder;
    std::string m_text;
};

void OptionsReadCheckSave(benchmark::State& state)
{
    const OptionsFolder folder;
    const OptionsFile file(folder.GetPath());
    for (auto _ : state)
    {
        std::vector<std::string> problems;
        OptionValues values = file.Read(problems);
        values.mouseSensitivity = values.mouseSensitivity % 10 + 1;
        benchmark::DoNotOptimize(file.Save(values));
    }
}
BENCHMARK(OptionsReadCheckSave)->Unit(benchmark::kMicrosecond);

// The same file read, parsed and printed by tinyxml2 alone, and written through a temporary file and a
// rename, without checking a value.
void BareOptionsParsePrint(benchmark::State& state)
{
    const OptionsFolder folder;
    const std::filesystem::path path = folder.GetPath();
    const std::filesystem::path temporary = path.string() + ".tmp";
    for (auto _ : state)
    {
        tinyxml2::XMLDocument document;
        document.LoadFile(path.c_str());
        tinyxml2::XMLPrinter printer;
        document.Print(&printer);
        if (std::FILE* out = std::fopen(temporary.c_str(), "wb"))
        {
            std::fwrite(printer.CStr(), 1, static_cast<std::size_t>(printer.CStrSize() - 1), out);
            std::fclose(out);
            std::filesystem::rename(temporary, path);
        }
    }
}
BENCHMARK(BareOptionsParsePrint)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv)
{
    return Benchmarks::RunWithRatios(
        argc, argv,
        {{"menu frame vs bare hit tests and colour easing", "BareMenuFrame", "MenuFrame", false},
         {"options read, check and save vs bare tinyxml2 parse and print", "BareOptionsParsePrint",
          "OptionsReadCheckSave", false}});
}
