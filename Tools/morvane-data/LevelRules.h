#pragma once

#include "Behavior/GameLogic/GameLogic.h"

#include <string>
#include <string_view>
#include <vector>

namespace Morvane
{
class IParserData;
}

// What the game logic's level tags expect beyond their own table: the components their rules use in
// an archetype, how many numbers each numeric attribute holds, and the names the game knows.
namespace MorvaneData::LevelRules
{
// An element the archetype must hold, with `attribute` set to `value` where that matters (null: any
// such element does); `use` ends the message ("" or " for its box").
struct ComponentNeed
{
    const char* element;
    const char* attribute;
    const char* value;
    const char* use;
};

// What an archetype placed by `tag` must hold: a transform, an AABB for a box tag, a graphics when
// the element has a colour the tag applies, and the components the tag's rule takes from it.
std::vector<ComponentNeed> ArchetypeNeeds(const GameLogic::LevelTag& tag, bool coloured);
bool Holds(const Morvane::IParserData& archetype, const ComponentNeed& need);
// The need as XML: <Physics shape="AABB">.
std::string Describe(const ComponentNeed& need);

// How many numbers a numeric attribute holds; 0 for an attribute that is not numeric.
int NumberCount(std::string_view attribute);

// Trigger events that end the game, and so count as a level's exit.
bool IsEndingEvent(std::string_view event);
bool IsKnownEvent(std::string_view event);
bool IsKnownCustomLoad(std::string_view id);
} // namespace MorvaneData::LevelRules
