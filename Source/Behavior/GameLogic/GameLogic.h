#pragma once

#include "Behavior/BehaviorComponent.h"
#include "Parsing/IParserData.h"

#include <cstddef>
#include <functional>
#include <glm/vec3.hpp>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Morvane
{
struct AnalyticsEvent;
}
namespace Morvane::Game
{
class Object;
}
namespace Morvane::Physics
{
class Component;
}
class CharacterController;
class GameEditable;
class Other;

// The game in progress, on the object "GameLogic": reads a level file and builds its objects from
// archetypes, fades between levels, restarts, pauses into a room far below the level, and reports
// level events.
class GameLogic : public Morvane::Behavior::Component
{
public:
    static constexpr const char* kObjectName = "GameLogic";

    // Common attributes a tag applies to what it creates.
    enum Attributes : unsigned
    {
        kPosition = 1,
        kScale = 2,
        kRotation = 4,
        kColor = 8,
        kCommon = kPosition | kScale | kRotation | kColor,
    };

    // One kind of level element: what it is called in a level file, what it creates, under which
    // tag the object is remembered for the next load, which common attributes it applies and which
    // others its rule reads (space-separated; the level check flags any other), whether its physics
    // box takes its scale, and the rule that builds it.
    struct LevelTag
    {
        const char* tag;
        const char* archetype;
        const char* objectName;
        const char* registeredTag;
        unsigned attributes;
        const char* reads;
        bool box;
        void (GameLogic::*rule)(const LevelTag& tag, const Morvane::IParserData& element);
    };

    explicit GameLogic(Morvane::Game::Object* owner) : Component(owner) {}

    // Reads "level" and loads it at once, then "gameAnalytics".
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData*) override { return true; }
    // Sends the heat-map test event, places the cursor and makes the fade overlay.
    bool Initialize() override;
    // "R" restarts, Escape pauses, 1 to 6 change level; then the fade.
    void Update(const float& dt) override;
    // Destroys what it made: the level's objects and the fade overlay.
    void Release() override;

    // Replaces the level's objects with those of the file at `path`; false (logged) when it cannot
    // be read, and the current level stays. A copy: the level's door rewrites the next level, which is
    // what a transition passes in.
    bool LoadLevel(std::string path);
    // Starts the fade that loads `path` at full black; false while a fade runs.
    bool ChangeLevel(const std::string& path);
    void UpdateTransition(float dt);
    void Pause();
    void Resume();
    void ReturnToMenu();
    // An ending reached: the level's final credits start. False when an ending already played in this
    // level, so that walking through its trigger again restarts nothing.
    bool StartFinalCredits();

    // A design event with the level as "area" and the player's position, when there is a player.
    Morvane::AnalyticsEvent MakeEvent(const std::string& eventId) const;
    // Adds the level and the player's position of the running game, if any, to `event`.
    static void DescribePlace(Morvane::AnalyticsEvent& event);

    static const std::vector<LevelTag>& GetLevelTags();
    static const LevelTag* FindLevelTag(std::string_view tag);
    // Whether the editor may pick what the tag makes: every tag that makes objects from an archetype
    // but the player, the creatures and sounds.
    static bool IsEditable(const LevelTag& tag);

    // The editor's side. Each level load counts, so that the editor can drop what it held of the last.
    unsigned GetLevelLoads() const { return m_levelLoads; }
    // Destroys the editable's object and what was made with it; saving leaves its element out.
    bool DeleteLevelObject(GameEditable& editable);
    // Makes a deleted element's objects again through its tag's rule; buttons that opened the object
    // called `oldName` open the new one, and a button opens `activatableName` again. Null when the
    // element is not a deleted one.
    Morvane::Game::Object* RestoreLevelObject(std::size_t elementIndex, const std::string& oldName,
                                              const std::string& activatableName);
    // Writes the level file with the editor's changes; logged either way.
    bool SaveLevel();
    void MarkEdited() { m_unsavedEdits = true; }
    bool HasUnsavedEdits() const { return m_unsavedEdits; }

    const std::string& GetLevelPath() const { return m_levelPath; }
    const std::string& GetNextLevel() const { return m_nextLevel; }
    const std::string& GetPlayerName() const { return m_playerName; }
    const std::vector<std::pair<std::string, std::string>>& GetLevelObjects() const { return m_levelObjects; }
    bool IsPaused() const { return m_paused; }
    bool IsInTransition() const { return !m_transitionKeys.empty(); }
    float GetFade() const { return m_fade; }
    const glm::vec3& GetPauseOrigin() const { return m_pauseOrigin; }

private:
    struct Key
    {
        float time;
        float value;
    };

    // Runs the tag's rule for the element at `index` and makes what it placed editable.
    void PlaceElement(const LevelTag& tag, const Morvane::IParserData& element, std::size_t index);
    const Morvane::IParserData* FindElement(std::size_t index) const;
    // A designer's F9 after the level file changed on disk reloads it, unless edits are unsaved.
    void WatchLevel();
    void OnLevelFileChanged();
    Morvane::Game::Object* Place(const LevelTag& tag, const Morvane::IParserData& element,
                                 const std::string& name);
    Morvane::Game::Object* Place(const LevelTag& tag, const Morvane::IParserData& element);
    void Remember(const Morvane::Game::Object* object, const std::string& registeredTag);
    void ApplyAttributes(Morvane::Game::Object& object, const Morvane::IParserData& element,
                         unsigned attributes, bool opaque) const;
    void FitBox(Morvane::Game::Object& object) const;
    // A trigger box from "Trigger.xml" whose enter callback runs `onPlayer` with the trigger's own body
    // when the player touches it.
    Morvane::Game::Object* MakeTrigger(const std::string& name, const glm::vec3& position,
                                       const glm::vec3& scale, const std::string& registeredTag,
                                       std::function<void(Morvane::Physics::Component& self)> onPlayer);
    Morvane::Game::Object* FindPlayer() const;
    CharacterController* FindPlayerController() const;
    Morvane::Physics::Component* FindPlayerBody() const;
    // The player's companion, or null (no player, or a player without one).
    Other* FindCompanion() const;
    void PlayMusic(const std::string& sound) const;
    void BuildPauseRoom();
    // Every looker of the level watches the player (nothing when there is none).
    void WatchPlayer();
    // Sparks from every button whose activatable is a door to that door.
    void LinkButtonSparks(std::size_t firstObject = 0);
    void DestroyLevelObjects();
    bool AreCreditsRunning() const;

    void PlainRule(const LevelTag& tag, const Morvane::IParserData& element);
    void DoorRule(const LevelTag& tag, const Morvane::IParserData& element);
    void PlayerRule(const LevelTag& tag, const Morvane::IParserData& element);
    void ButtonRule(const LevelTag& tag, const Morvane::IParserData& element);
    void ActivatableRule(const LevelTag& tag, const Morvane::IParserData& element);
    void MovingPlatformRule(const LevelTag& tag, const Morvane::IParserData& element);
    void FloatingObjectRule(const LevelTag& tag, const Morvane::IParserData& element);
    void WorldTextRule(const LevelTag& tag, const Morvane::IParserData& element);
    void AudioRule(const LevelTag& tag, const Morvane::IParserData& element);
    void TriggerRule(const LevelTag& tag, const Morvane::IParserData& element);
    void OtherRule(const LevelTag& tag, const Morvane::IParserData& element);
    void WhaleRule(const LevelTag& tag, const Morvane::IParserData& element);
    void SunRule(const LevelTag& tag, const Morvane::IParserData& element);
    void SkyboxRule(const LevelTag& tag, const Morvane::IParserData& element);
    void CustomLoadRule(const LevelTag& tag, const Morvane::IParserData& element);

    std::vector<std::pair<std::string, std::string>> m_levelObjects;
    // The level as read, for saving and for bringing deleted objects back.
    std::unique_ptr<Morvane::IParserData> m_levelTree;
    std::set<std::size_t> m_deletedElements;
    bool m_unsavedEdits = false;
    unsigned m_levelLoads = 0;
    std::string m_nextLevel;
    std::string m_levelPath;
    Morvane::Game::Object* m_levelTransition = nullptr;
    std::string m_levelTransitionName;
    std::vector<Key> m_transitionKeys;
    float m_transitionTime = 0.0f;
    float m_fade = 0.0f;
    std::string m_playerName;
    glm::vec3 m_pauseOrigin{0.0f, -50000.0f, 0.0f};
    glm::vec3 m_pausedPosition{0.0f};
    bool m_paused = false;
    std::string m_finalCredits;
    bool m_endingReached = false;
    // Level 5's sun copies the companion, which the level may create after its custom load.
    bool m_sunFollowsCompanion = false;
    // The wall between the pause room and its "SURE?" corner, opened by walking to "EXIT".
    std::string m_pauseBlock;
};
