// A level file from the input, loaded by the game logic with the game, behavior, physics and audio
// systems but no window, graphics or audio output, then replaced by an empty level. Whatever the input:
// no sanitizer report, and once every tag of the level was built, loading the next level leaves none
// of its objects alive. Assertions are the engine's answer to data it cannot use (they end the game),
// so an input that meets one is done, and what it left behind is not checked.
//
// Without graphics no archetype has a graphics component, so a tag that colours its object, the sun and
// world text assert; so does the pause room that ends every load, at its first caption, which needs a
// text component: that one is expected, and counts as the level having been built. The player has its
// body and audio but no controller, whose companions need graphics and a camera: the player tag asserts
// once its object is placed, and a fuzzed level reaches the tags after it by putting them first.
#include "Behavior/GameLogic/GameLogic.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "FuzzSupport.h"
#include "LevelGame.h"
#include "System/Assert/Assertion.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

using namespace Morvane;

namespace
{
struct Files
{
    Fuzzing::LevelGame game;
    std::string level;
    std::string emptyLevel;
};

Files* g_files = nullptr;

// Loads `path`; true when the level was built whole (or could not be read, which builds nothing). Only
// the pause room remembers its objects as "Discard", and it is built after every tag of the level.
bool LoadLevel(GameLogic& logic, const std::string& path)
{
    try
    {
        logic.LoadLevel(path);
        return true;
    }
    catch (const AssertionFailure&)
    {
        const auto& objects = logic.GetLevelObjects();
        if (!objects.empty() && objects.back().second == "Discard")
        {
            return true;
        }
        throw;
    }
}

// After the empty level only the harness's objects and the empty level's pause room may be alive.
void RequireNoLeftovers(const GameLogic& logic, const std::set<std::string>& own)
{
    std::set<std::string> allowed = own;
    for (const auto& [name, registeredTag] : logic.GetLevelObjects())
    {
        allowed.insert(name);
    }
    for (const Game::Object* object : Game::System::GetInstance().GetObjectsInCreationOrder())
    {
        if (!allowed.contains(object->GetName()))
        {
            std::fprintf(stderr, "left over: '%s'\n", object->GetName().c_str());
            Fuzzing::Require(false, "loading a level destroys every object of the last one");
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::LevelGame::SetUpSystems();
    static Files files;
    g_files = &files;
    files.level = files.game.Folder().Path() + "Level.xml";
    files.emptyLevel = files.game.Folder().Write("Empty.xml", "<Level/>");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Game::System& game = Game::System::GetInstance();
    std::set<std::string> own;
    GameLogic& logic = g_files->game.Start(own);
    Fuzzing::WriteFile(g_files->level, data, size);
    try
    {
        const bool built = LoadLevel(logic, g_files->level);
        // Initialises the level's objects and destroys those a tag gave up on.
        game.Update(0.0f);
        Fuzzing::Require(LoadLevel(logic, g_files->emptyLevel), "the empty level is built");
        game.Update(0.0f);
        if (built)
        {
            RequireNoLeftovers(logic, own);
        }
    }
    catch (const AssertionFailure&)
    {
    }
    Fuzzing::LevelGame::Stop();
    return 0;
}
