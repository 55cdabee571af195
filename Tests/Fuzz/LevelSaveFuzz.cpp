// A level from the input, saved by the level writer. Whatever the input: no sanitizer report; the saved
// text parses, and saving what it parses to gives the same text again; and the game logic builds the same
// objects, with the same transforms, from the saved level as from the input. Assertions end a load (see
// the level load target: without graphics a coloured tag, the sun, world text and the player assert);
// both loads must then end at the same place, having built the same.
#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/GameLogic/LevelWriter.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "FuzzSupport.h"
#include "LevelGame.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "System/Assert/Assertion.h"

#include <bit>
#include <cstdint>
#include <set>
#include <string>

using namespace Morvane;

namespace
{
struct Files
{
    Fuzzing::LevelGame game;
    std::string level;
};

Files* g_files = nullptr;

void Append(std::string& dump, float value)
{
    dump += std::to_string(std::bit_cast<std::uint32_t>(value)) + ' ';
}

// What loading `text` built: each object's name, tag and transform, bit for bit, then how the load ended.
std::string LoadAndDump(const std::string& text)
{
    Fuzzing::WriteFile(g_files->level, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::set<std::string> own;
    GameLogic& logic = g_files->game.Start(own);
    std::string dump;
    try
    {
        dump = logic.LoadLevel(g_files->level) ? "loaded\n" : "not read\n";
    }
    catch (const AssertionFailure&)
    {
        dump = "asserted\n";
    }
    const Game::System& game = Game::System::GetInstance();
    for (const auto& [name, registeredTag] : logic.GetLevelObjects())
    {
        dump += name + " " + registeredTag + ": ";
        const Game::Object* object = game.GetObject(name);
        const auto* transform =
            object != nullptr ? object->GetComponent<Game::TransformComponent>() : nullptr;
        if (transform != nullptr)
        {
            for (int axis = 0; axis < 3; ++axis)
            {
                Append(dump, transform->GetPosition()[axis]);
                Append(dump, transform->GetScale()[axis]);
            }
            for (int axis = 0; axis < 4; ++axis)
            {
                Append(dump, transform->GetRotation()[axis]);
            }
        }
        dump += '\n';
    }
    dump += "next " + logic.GetNextLevel() + ", player " + logic.GetPlayerName() + "\n";
    Fuzzing::LevelGame::Stop();
    return dump;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::LevelGame::SetUpSystems();
    static Files files;
    g_files = &files;
    files.level = files.game.Folder().Path() + "Level.xml";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    XMLParserData level;
    if (!level.FromString(input))
    {
        return 0;
    }
    const std::string saved = LevelWriter::Write(level, {});
    XMLParserData reread;
    Fuzzing::Require(reread.FromString(saved), "a saved level parses");
    Fuzzing::Require(LevelWriter::Write(reread, {}) == saved, "saving a saved level changes nothing");
    Fuzzing::Require(LoadAndDump(input) == LoadAndDump(saved), "a saved level builds what the level built");
    return 0;
}
