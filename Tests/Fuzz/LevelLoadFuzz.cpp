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
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/GameLogic/GameLogic.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "FuzzSupport.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Platform/MessageBox.h"
#include "Sound/AudioSystem.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <utility>

using namespace Morvane;

namespace
{
// The archetypes the level tags, the pause room, the game logic and the custom loads name, as the
// game's own but without graphics.
const std::pair<const char*, const char*> kArchetypes[] = {
    {"Door.xml", R"(<Object><Transform/><Physics category="Static" mass="0" restitution="0" shape="AABB"
        size="1;1;1" collisionIds="0" collidable="false"/></Object>)"},
    {"Wall.xml", R"(<Object><Transform/><Physics category="Static" mass="0" restitution="0" shape="AABB"
        size="1;1;1" collisionIds="1"/></Object>)"},
    {"Floor.xml", R"(<Object><Transform/><Physics category="Static" mass="0" restitution="0" shape="AABB"
        size="1;1;1" collisionIds="0"/></Object>)"},
    {"Bouncer.xml", R"(<Object><Transform/><Physics category="Static" mass="0" restitution="0" shape="AABB"
        size="1;1;1" collisionIds="3"/></Object>)"},
    {"Jumper.xml", R"(<Object><Transform/><Physics category="Static" mass="0" restitution="0" shape="AABB"
        size="1;1;1" collisionIds="4"/></Object>)"},
    {"Player.xml", R"(<Object><Transform position="0;1;0" scale="1;2;1"/>
        <Physics type="PhysicsComponent_CharacterPhysics" category="Dynamic" shape="AABB" size="1;2;1" mass="1"
            restitution="0" collisionIds="2" collideWithIds="0;1;3;4;5;6"/><Audio/></Object>)"},
    {"Trigger.xml", R"(<Object><Transform/><Physics category="Kinematic" mass="0" restitution="0"
        resolveContacts="false" shape="AABB" size="1;1;1" collisionIds="6" collideWithIds="2"/>
        <Behavior type="BehaviorComponent_Trigger"/></Object>)"},
    {"AudioInstance.xml", "<Object><Transform/><Audio/></Object>"},
    {"Decorable.xml", "<Object><Transform/></Object>"},
    {"WorldText.xml", R"(<Object><Transform scale="2;0.5;1"/></Object>)"},
    {"LevelTransition.xml", R"(<Object><Transform scale="4096;4096;1"/></Object>)"},
    {"Heart.xml", R"(<Object><Transform position="0;2;0" scale="1.5;1.5;1.5"/></Object>)"},
    {"Looker.xml", "<Object><Transform/></Object>"},
    {"FinalBadCredits.xml", R"(<Object><Transform scale="4096;4096;1"/></Object>)"},
    {"FinalGoodCredits.xml", R"(<Object><Transform scale="4096;4096;1"/></Object>)"},
    {"ParticleSystem_Floor.xml", "<Object><Transform/></Object>"},
    {"FadeInOut.xml", R"(<Object><Transform scale="4096;4096;1"/></Object>)"},
    {"Other.xml", "<Object><Transform/></Object>"},
    {"ParticleSystem_Cord.xml", "<Object><Transform/></Object>"},
    {"Whale.xml", R"(<Object><Transform/><Physics category="Kinematic" mass="0" restitution="0" shape="AABB"
        size="1;1;1" collidable="false"/><Behavior type="BehaviorComponent_Whale"/></Object>)"},
    {"WhaleSegment.xml", "<Object><Transform/></Object>"},
};

// What the game's configuration makes before the game logic: the music and the sun (without its
// graphics), then the game logic itself. Analytics stays off: it would look for a collector.
const char* const kGameObjects = R"(<Object name="BackgroundMusic"><Transform/><Audio volume="0.6"/></Object>
    <Object name="Sun"><Transform/></Object>
    <Object name="GameLogic"><Transform/><Behavior type="BehaviorComponent_GameLogic" gameAnalytics="false"/>
    </Object>)";

struct Files
{
    Testing::TempDirectory folder;
    std::string archetypes;
    std::string level;
    std::string emptyLevel;
};

Files* g_files = nullptr;

void Write(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Fuzzing::Require(file.good(), "the level file can be written");
}

// The game logic's object and everything the harness made, once the first update has initialised them
// (the game logic makes its level transition then).
GameLogic& StartGame(std::set<std::string>& own)
{
    Game::System& game = Game::System::GetInstance();
    XMLParserData data;
    Fuzzing::Require(data.FromString("<GameSystem><Objects archetypesFolder=\"" + g_files->archetypes +
                                     "\">" + kGameObjects + "</Objects></GameSystem>"),
                     "the game's objects are XML");
    Fuzzing::Require(game.Parse(&data), "the game's objects are made");
    game.Update(0.0f);
    for (const Game::Object* object : game.GetObjectsInCreationOrder())
    {
        own.insert(object->GetName());
    }
    Game::Object* object = game.GetObject(GameLogic::kObjectName);
    auto* logic = object != nullptr ? object->GetComponent<GameLogic>() : nullptr;
    Fuzzing::Require(logic != nullptr, "the game logic is made");
    return *logic;
}

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
    Fuzzing::SilenceLog();
    // Every assertion would print its box on stderr, which is the fuzzer's report.
    Platform::SetMessageBoxHandler([](const std::string&, const std::string&) {});
    Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;
    Physics::System::GetInstance().m_customComponentFactory = &CreateCustomPhysicsComponent;
    Physics::System::GetInstance().Initialize();
    // Made, never started: it registers the "Audio" element, and without an output every sound is
    // skipped with an error.
    Audio::System::GetInstance();
    static Files files;
    g_files = &files;
    for (const auto& [name, text] : kArchetypes)
    {
        files.folder.Write(std::string("Archetypes/") + name, text);
    }
    files.archetypes = files.folder.Path() + "Archetypes";
    files.level = files.folder.Path() + "Level.xml";
    files.emptyLevel = files.folder.Write("Empty.xml", "<Level/>");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Game::System& game = Game::System::GetInstance();
    std::set<std::string> own;
    GameLogic& logic = StartGame(own);
    Write(g_files->level, data, size);
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
    game.Release();
    Behavior::System::GetInstance().Release();
    Physics::System::GetInstance().Release();
    Audio::System::GetInstance().Release();
    return 0;
}
