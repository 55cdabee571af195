#pragma once

// The game a fuzzed level is loaded into: the game logic with the game, behavior, physics and audio systems
// but no window, graphics or audio output, and archetypes like the game's own but without graphics.
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

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <set>
#include <string>
#include <utility>

namespace Morvane::Fuzzing
{
// The archetypes the level tags, the pause room, the game logic and the custom loads name, as the
// game's own but without graphics.
inline const std::pair<const char*, const char*> kLevelArchetypes[] = {
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
inline const char* const kGameObjects =
    R"(<Object name="BackgroundMusic"><Transform/><Audio volume="0.6"/></Object>
    <Object name="Sun"><Transform/></Object>
    <Object name="GameLogic"><Transform/><Behavior type="BehaviorComponent_GameLogic" gameAnalytics="false"/>
    </Object>)";

inline void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Require(file.good(), "the level file can be written");
}

class LevelGame
{
public:
    // Once per process, before the first Start.
    static void SetUpSystems()
    {
        SilenceLog();
        // Every assertion would print its box on stderr, which is the fuzzer's report.
        Platform::SetMessageBoxHandler([](const std::string&, const std::string&) {});
        Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;
        Physics::System::GetInstance().m_customComponentFactory = &CreateCustomPhysicsComponent;
        Physics::System::GetInstance().Initialize();
        // Made, never started: it registers the "Audio" element, and without an output every sound is
        // skipped with an error.
        Audio::System::GetInstance();
    }

    LevelGame()
    {
        for (const auto& [name, text] : kLevelArchetypes)
        {
            m_folder.Write(std::string("Archetypes/") + name, text);
        }
    }

    // A folder of the game's own, for its level files.
    const Testing::TempDirectory& Folder() const { return m_folder; }

    // The game logic's object and everything the harness made (in `own`), once the first update has
    // initialised them (the game logic makes its level transition then).
    GameLogic& Start(std::set<std::string>& own) const
    {
        Game::System& game = Game::System::GetInstance();
        XMLParserData data;
        Require(data.FromString("<GameSystem><Objects archetypesFolder=\"" + m_folder.Path() + "Archetypes" +
                                "\">" + kGameObjects + "</Objects></GameSystem>"),
                "the game's objects are XML");
        Require(game.Parse(&data), "the game's objects are made");
        game.Update(0.0f);
        for (const Game::Object* object : game.GetObjectsInCreationOrder())
        {
            own.insert(object->GetName());
        }
        Game::Object* object = game.GetObject(GameLogic::kObjectName);
        auto* logic = object != nullptr ? object->GetComponent<GameLogic>() : nullptr;
        Require(logic != nullptr, "the game logic is made");
        return *logic;
    }

    // Every object gone, every system ready for the next Start.
    static void Stop()
    {
        Game::System::GetInstance().Release();
        Behavior::System::GetInstance().Release();
        Physics::System::GetInstance().Release();
        Audio::System::GetInstance().Release();
    }

private:
    Testing::TempDirectory m_folder;
};
} // namespace Morvane::Fuzzing
