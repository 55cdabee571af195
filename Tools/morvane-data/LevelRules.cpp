#include "LevelRules.h"

#include "Parsing/IParserData.h"

#include <algorithm>
#include <iterator>

namespace MorvaneData::LevelRules
{
namespace
{
constexpr ComponentNeed Behavior(const char* type)
{
    return {"Behavior", "type", type, ""};
}

const ComponentNeed kTransform{"Transform", nullptr, nullptr, ""};
const ComponentNeed kBox{"Physics", "shape", "AABB", " for its box"};
const ComponentNeed kColourGraphics{"Graphics", nullptr, nullptr, " for its 'color'"};

struct TagNeed
{
    const char* tag;
    ComponentNeed need;
};

// The components each rule looks up on the object it placed.
const TagNeed kTagNeeds[] = {
    {"Player", Behavior("BehaviorComponent_CharacterController")},
    {"Button", Behavior("BehaviorComponent_Button")},
    {"Button", Behavior("BehaviorComponent_FloatingObject")},
    {"Activatable", Behavior("BehaviorComponent_Door")},
    {"MovingPlatform", Behavior("BehaviorComponent_MovingPlatform")},
    {"FloatingObject", Behavior("BehaviorComponent_FloatingObject")},
    {"Trigger", Behavior("BehaviorComponent_Trigger")},
    {"WorldText", {"Graphics", "type", "GraphicsComponent_Text", ""}},
    {"Audio", {"Audio", nullptr, nullptr, ""}},
    {"Whale", Behavior("BehaviorComponent_Whale")},
};

struct NumberShape
{
    const char* attribute;
    int count;
};

// One name is one shape in every tag that reads it ("pos" is the sun's position too).
const NumberShape kNumberShapes[] = {
    {"pos", 3},         {"scale", 3},         {"rotation", 4},  {"color", 4},       {"yaw", 1},
    {"pitch", 1},       {"movementSpeed", 1}, {"A", 3},         {"B", 3},           {"textureSize", 2},
    {"fontSize", 1},    {"pivot", 3},         {"frecuency", 3}, {"amplitude", 3},   {"rotationSpeed", 3},
    {"minDistance", 1}, {"maxDistance", 1},   {"volume", 1},    {"fog", 3},         {"skyColor", 3},
    {"sunColor", 4},    {"ambient", 3},       {"fogAmount", 1}, {"attenuation", 3},
};

const std::string_view kEndingEvents[] = {"Level5_BadEnding", "Level6_GoodEnding"};
// The companion's hint, the one event that is not an ending.
constexpr std::string_view kGuideEvent = "Guide";
const std::string_view kCustomLoads[] = {"Level_1.xml", "Level_2.xml", "Level_3.xml",
                                         "Level_4.xml", "Level_5.xml", "Level_6.xml"};

template <class Table> bool Contains(const Table& table, std::string_view name)
{
    return std::find(std::begin(table), std::end(table), name) != std::end(table);
}
} // namespace

std::vector<ComponentNeed> ArchetypeNeeds(const GameLogic::LevelTag& tag, bool coloured)
{
    std::vector<ComponentNeed> needs{kTransform};
    if (tag.box)
    {
        needs.push_back(kBox);
    }
    if (coloured)
    {
        needs.push_back(kColourGraphics);
    }
    for (const TagNeed& entry : kTagNeeds)
    {
        if (std::string_view(entry.tag) == tag.tag)
        {
            needs.push_back(entry.need);
        }
    }
    return needs;
}

bool Holds(const Morvane::IParserData& archetype, const ComponentNeed& need)
{
    for (const Morvane::IParserData* child = archetype.GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        if (child->GetName() == need.element &&
            (need.attribute == nullptr || child->GetAttribute(need.attribute, "") == need.value))
        {
            return true;
        }
    }
    return false;
}

std::string Describe(const ComponentNeed& need)
{
    if (need.attribute == nullptr)
    {
        return std::string("<") + need.element + ">";
    }
    return std::string("<") + need.element + " " + need.attribute + "=\"" + need.value + "\">";
}

int NumberCount(std::string_view attribute)
{
    const auto* found =
        std::find_if(std::begin(kNumberShapes), std::end(kNumberShapes),
                     [attribute](const NumberShape& shape) { return attribute == shape.attribute; });
    return found == std::end(kNumberShapes) ? 0 : found->count;
}

bool IsEndingEvent(std::string_view event)
{
    return Contains(kEndingEvents, event);
}

bool IsKnownEvent(std::string_view event)
{
    return IsEndingEvent(event) || event == kGuideEvent;
}

bool IsKnownCustomLoad(std::string_view id)
{
    return Contains(kCustomLoads, id);
}
} // namespace MorvaneData::LevelRules
