#pragma once

#include "Behavior/GameLogic/GameLogic.h"

#include <map>
#include <string>
#include <vector>

namespace tinyxml2
{
class XMLElement;
}

namespace MorvaneData
{
class ArchetypeLibrary;

struct LevelFinding
{
    // An error makes the level fail; a warning only points at something that is likely a mistake.
    bool error;
    int line;
    std::string message;
};

// Checks a level against what the game logic does with it: each element against its level tag and
// the archetype it is made from, and the whole level against what makes it playable (one player, an
// exit, buttons that reach their activatables). Path aliases must be those of the level's project.
class LevelCheck
{
public:
    explicit LevelCheck(ArchetypeLibrary& archetypes) : m_archetypes(archetypes) {}

    // The findings on the level whose root is `level`, ordered by line.
    std::vector<LevelFinding> Run(const tinyxml2::XMLElement& level);

private:
    using Element = tinyxml2::XMLElement;
    using Tag = GameLogic::LevelTag;
    using Rule = void (LevelCheck::*)(const Element& element);

    struct Button
    {
        int line;
        std::string target;
    };
    // What the elements so far have told about the whole level.
    struct Seen
    {
        int firstPlayer = 0;
        int firstDoor = 0;
        bool exit = false;
        std::map<std::string, int> activatables;
        std::vector<Button> waitingButtons;
    };

    void CheckElement(const Element& element, const Tag& tag);
    void CheckAttributes(const Element& element, const std::vector<std::string>& reads);
    void CheckNumbers(const Element& element, const char* attribute, int count);
    void CheckArchetype(const Element& element, const Tag& tag);
    void CheckBoxScale(const Element& element);
    void CheckLevel(const Element& level);

    void CheckPlayer(const Element& element);
    void CheckDoor(const Element& element);
    void CheckButton(const Element& element);
    void CheckActivatable(const Element& element);
    void CheckMovingPlatform(const Element& element);
    void CheckTrigger(const Element& element);
    void CheckSun(const Element& element);
    void CheckCustomLoad(const Element& element);
    static Rule FindRule(const char* tag);

    void Error(int line, std::string message);
    void Warning(int line, std::string message);

    ArchetypeLibrary& m_archetypes;
    std::vector<LevelFinding> m_findings;
    Seen m_seen;
};
} // namespace MorvaneData
