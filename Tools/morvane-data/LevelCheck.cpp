#include "LevelCheck.h"

#include "ArchetypeLibrary.h"
#include "Behavior/GameLogic/LevelAttributes.h"
#include "LevelRules.h"
#include "NumberList.h"
#include "System/Logging/Format.h"
#include "System/PathWrapper/PathWrapper.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <system_error>
#include <tinyxml2.h>
#include <utility>

namespace MorvaneData
{
namespace
{
using Morvane::Format;

std::string AttributeOf(const tinyxml2::XMLElement& element, const char* name)
{
    const char* value = element.Attribute(name);
    return value != nullptr ? value : "";
}

std::string Numbers(std::size_t count)
{
    return count == 1 ? std::string("1 number") : Format("%zu numbers", count);
}

// A tip point of the player reads nothing but its position.
const std::vector<std::string> kTipPointReads{"pos"};
} // namespace

std::vector<LevelFinding> LevelCheck::Run(const Element& level)
{
    m_findings.clear();
    m_seen = {};
    for (const Element* element = level.FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement())
    {
        if (const Tag* tag = GameLogic::FindLevelTag(element->Name()))
        {
            CheckElement(*element, *tag);
        }
        else
        {
            Error(element->GetLineNum(), Format("unknown tag '%s'", element->Name()));
        }
    }
    CheckLevel(level);
    std::stable_sort(m_findings.begin(), m_findings.end(),
                     [](const LevelFinding& first, const LevelFinding& second)
                     { return first.line < second.line; });
    return std::exchange(m_findings, {});
}

void LevelCheck::CheckElement(const Element& element, const Tag& tag)
{
    CheckAttributes(element, LevelAttributes::Read(tag));
    if (tag.archetype != nullptr)
    {
        CheckArchetype(element, tag);
    }
    if (tag.box && (tag.attributes & GameLogic::kScale) != 0)
    {
        CheckBoxScale(element);
    }
    if (const Rule rule = FindRule(tag.tag))
    {
        (this->*rule)(element);
    }
}

void LevelCheck::CheckAttributes(const Element& element, const std::vector<std::string>& reads)
{
    for (const tinyxml2::XMLAttribute* attribute = element.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next())
    {
        const std::string_view name = attribute->Name();
        if (std::find(reads.begin(), reads.end(), name) == reads.end())
        {
            Error(element.GetLineNum(),
                  Format("'%s' does not read attribute '%s'", element.Name(), attribute->Name()));
        }
        else if (const int count = LevelRules::NumberCount(name); count > 0)
        {
            CheckNumbers(element, attribute->Name(), count);
        }
    }
}

void LevelCheck::CheckNumbers(const Element& element, const char* attribute, int count)
{
    const std::string text = AttributeOf(element, attribute);
    const NumberList list = ReadNumbers(text);
    if (!list.problem.empty())
    {
        Error(element.GetLineNum(), Format("'%s' of '%s' is '%s': %s", attribute, element.Name(),
                                           text.c_str(), list.problem.c_str()));
    }
    else if (list.numbers.size() != static_cast<std::size_t>(count))
    {
        Error(element.GetLineNum(),
              Format("'%s' of '%s' is '%s': %s where it needs %d", attribute, element.Name(), text.c_str(),
                     Numbers(list.numbers.size()).c_str(), count));
    }
}

void LevelCheck::CheckArchetype(const Element& element, const Tag& tag)
{
    // A level may place a variant archetype under a tag's rule.
    const char* named = element.Attribute("archetype");
    const std::string archetype = named != nullptr ? named : tag.archetype;
    const Morvane::IParserData* contents = m_archetypes.Find(archetype);
    if (contents == nullptr)
    {
        Error(element.GetLineNum(), Format("archetype '%s' of '%s' cannot be read ('%s')", archetype.c_str(),
                                           tag.tag, m_archetypes.PathOf(archetype).c_str()));
        return;
    }
    const bool coloured = (tag.attributes & GameLogic::kColor) != 0 && element.Attribute("color") != nullptr;
    for (const LevelRules::ComponentNeed& need : LevelRules::ArchetypeNeeds(tag, coloured))
    {
        if (!LevelRules::Holds(*contents, need))
        {
            Error(element.GetLineNum(), Format("archetype '%s' of '%s' has no %s%s", archetype.c_str(),
                                               tag.tag, LevelRules::Describe(need).c_str(), need.use));
        }
    }
}

void LevelCheck::CheckBoxScale(const Element& element)
{
    const char* scale = element.Attribute("scale");
    if (scale == nullptr)
    {
        return;
    }
    const NumberList list = ReadNumbers(scale);
    if (list.problem.empty() &&
        std::any_of(list.numbers.begin(), list.numbers.end(), [](float number) { return number <= 0.0f; }))
    {
        Warning(element.GetLineNum(), Format("'%s' scale '%s' is not positive in every component: its box is "
                                             "empty or inside out",
                                             element.Name(), scale));
    }
}

void LevelCheck::CheckPlayer(const Element& element)
{
    if (m_seen.firstPlayer == 0)
    {
        m_seen.firstPlayer = element.GetLineNum();
    }
    else
    {
        Error(element.GetLineNum(),
              Format("a second 'Player' (the first is on line %d): a level has exactly one",
                     m_seen.firstPlayer));
    }
    for (const Element* point = element.FirstChildElement(); point != nullptr;
         point = point->NextSiblingElement())
    {
        CheckAttributes(*point, kTipPointReads);
    }
}

void LevelCheck::CheckDoor(const Element& element)
{
    const int line = element.GetLineNum();
    if (m_seen.firstDoor == 0)
    {
        m_seen.firstDoor = line;
    }
    else
    {
        // The game keeps one next level, the one the last door named.
        Warning(line, Format("a second 'Door' (the first is on line %d): every door leads to the last one's "
                             "'nextLevel'",
                             m_seen.firstDoor));
    }
    const std::string next = AttributeOf(element, "nextLevel");
    if (next.empty())
    {
        Error(line, "'Door' has no 'nextLevel'");
        return;
    }
    m_seen.exit = true;
    const std::string path = Morvane::PathWrapper::GetInstance().Expand(next);
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored))
    {
        Error(line, Format("'Door' leads to '%s', which does not exist ('%s')", next.c_str(), path.c_str()));
    }
}

void LevelCheck::CheckButton(const Element& element)
{
    const char* target = element.Attribute("activate");
    if (target == nullptr)
    {
        Error(element.GetLineNum(), "'Button' has no 'activate'");
        return;
    }
    m_seen.waitingButtons.push_back({element.GetLineNum(), target});
}

void LevelCheck::CheckActivatable(const Element& element)
{
    const char* name = element.Attribute("activatableName");
    if (name == nullptr)
    {
        return;
    }
    if (const auto [first, added] = m_seen.activatables.emplace(name, element.GetLineNum()); !added)
    {
        Warning(element.GetLineNum(),
                Format("'Activatable' name '%s' is also on line %d", name, first->second));
    }
    // The game links a button to an activatable made after it, never to one made before.
    std::erase_if(m_seen.waitingButtons, [name](const Button& button) { return button.target == name; });
}

void LevelCheck::CheckMovingPlatform(const Element& element)
{
    // The platform reads a missing end as the origin.
    const NumberList a = ReadNumbers(AttributeOf(element, "A"));
    const NumberList b = ReadNumbers(AttributeOf(element, "B"));
    const auto end = [](const NumberList& list)
    { return list.numbers.empty() ? std::vector<float>(3) : list.numbers; };
    if (a.problem.empty() && b.problem.empty() && end(a) == end(b))
    {
        Warning(element.GetLineNum(), "'MovingPlatform' has A equal to B: it never moves");
    }
}

void LevelCheck::CheckTrigger(const Element& element)
{
    const std::string event = AttributeOf(element, "event");
    if (LevelRules::IsEndingEvent(event))
    {
        m_seen.exit = true;
    }
    else if (!LevelRules::IsKnownEvent(event))
    {
        Warning(element.GetLineNum(),
                Format("'Trigger' event '%s' is none of 'Level5_BadEnding', 'Level6_GoodEnding', 'Guide'",
                       event.c_str()));
    }
}

void LevelCheck::CheckSun(const Element& element)
{
    if (element.Attribute("attenuation") == nullptr)
    {
        Warning(element.GetLineNum(), "'Sun' has no 'attenuation', which is then 0;0;0");
    }
}

void LevelCheck::CheckCustomLoad(const Element& element)
{
    const std::string id = AttributeOf(element, "id");
    if (!LevelRules::IsKnownCustomLoad(id))
    {
        Warning(element.GetLineNum(),
                Format("'CustomLoad' id '%s' is none of 'Level_1.xml' to 'Level_6.xml': it loads nothing",
                       id.c_str()));
    }
}

void LevelCheck::CheckLevel(const Element& level)
{
    const int line = level.GetLineNum();
    if (m_seen.firstPlayer == 0)
    {
        Error(line, "the level has no 'Player'");
    }
    if (!m_seen.exit)
    {
        Error(line, "the level has no exit: no 'Door' with a 'nextLevel' and no 'Trigger' with event "
                    "'Level5_BadEnding' or 'Level6_GoodEnding'");
    }
    for (const Button& button : m_seen.waitingButtons)
    {
        if (const auto earlier = m_seen.activatables.find(button.target);
            earlier != m_seen.activatables.end())
        {
            Error(button.line,
                  Format("'Button' activates '%s', which only an earlier 'Activatable' names (line "
                         "%d): buttons reach later ones only",
                         button.target.c_str(), earlier->second));
        }
        else
        {
            Error(button.line, Format("'Button' activates '%s', which no later 'Activatable' names",
                                      button.target.c_str()));
        }
    }
}

LevelCheck::Rule LevelCheck::FindRule(const char* tag)
{
    struct TagRule
    {
        std::string_view tag;
        Rule rule;
    };
    // What a tag's rule does with the rest of the level, beyond its attributes and archetype.
    static const TagRule kRules[] = {
        {"Player", &LevelCheck::CheckPlayer},
        {"Door", &LevelCheck::CheckDoor},
        {"Button", &LevelCheck::CheckButton},
        {"Activatable", &LevelCheck::CheckActivatable},
        {"MovingPlatform", &LevelCheck::CheckMovingPlatform},
        {"Trigger", &LevelCheck::CheckTrigger},
        {"Sun", &LevelCheck::CheckSun},
        {"CustomLoad", &LevelCheck::CheckCustomLoad},
    };
    const auto* found = std::find_if(std::begin(kRules), std::end(kRules),
                                     [tag](const TagRule& entry) { return entry.tag == tag; });
    return found == std::end(kRules) ? nullptr : found->rule;
}

void LevelCheck::Error(int line, std::string message)
{
    m_findings.push_back({true, line, std::move(message)});
}

void LevelCheck::Warning(int line, std::string message)
{
    m_findings.push_back({false, line, std::move(message)});
}
} // namespace MorvaneData
