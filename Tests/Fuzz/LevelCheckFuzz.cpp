// A level from the input, checked by the data tool's level check against a project of its own: an
// archetype for every level tag and the six levels a door may lead to. Whatever the input: no sanitizer
// report, every finding names a line of the input, and checking the same level again (its archetypes
// now from the library's cache, not the files) finds the same.
#include "ArchetypeLibrary.h"
#include "FuzzSupport.h"
#include "LevelCheck.h"
#include "LevelProject.h"
#include "Support/TempDirectory.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <tinyxml2.h>
#include <utility>
#include <vector>

using namespace Morvane;

namespace
{
const char* const kBox = R"(<Object><Transform/><Graphics/><Physics shape="AABB"/></Object>)";

const std::pair<const char*, const char*> kArchetypes[] = {
    {"Player.xml", R"(<Object><Transform/><Physics shape="AABB"/>
        <Behavior type="BehaviorComponent_CharacterController"/></Object>)"},
    {"Door.xml", kBox},
    {"Wall.xml", kBox},
    {"Floor.xml", kBox},
    {"Bouncer.xml", kBox},
    {"Jumper.xml", kBox},
    {"GravityPlatform.xml", kBox},
    {"Decorable.xml", "<Object><Transform/><Graphics/></Object>"},
    {"Button.xml", R"(<Object><Transform/><Physics shape="AABB"/><Behavior type="BehaviorComponent_Button"/>
        <Behavior type="BehaviorComponent_FloatingObject"/></Object>)"},
    {"Activatable.xml",
     R"(<Object><Transform/><Physics shape="AABB"/><Behavior type="BehaviorComponent_Door"/>
        </Object>)"},
    {"MovingPlatform.xml", R"(<Object><Transform/><Physics shape="AABB"/>
        <Behavior type="BehaviorComponent_MovingPlatform"/></Object>)"},
    {"FloatingObject.xml",
     R"(<Object><Transform/><Behavior type="BehaviorComponent_FloatingObject"/></Object>)"},
    {"WorldText.xml", R"(<Object><Transform/><Graphics type="GraphicsComponent_Text"/></Object>)"},
    {"AudioInstance.xml", "<Object><Transform/><Audio/></Object>"},
    {"Trigger.xml", R"(<Object><Transform/><Physics shape="AABB"/><Behavior type="BehaviorComponent_Trigger"/>
        </Object>)"},
    {"Bare.xml", "<Object><Transform/></Object>"},
};

// As the configuration below names it. Each input reads the archetypes into a library of its own: a
// library kept in a static would free its pooled trees after the pools at exit.
const char* const kArchetypesFolder = "$(LocalFolder)Archetypes";

bool SameFindings(const std::vector<MorvaneData::LevelFinding>& first,
                  const std::vector<MorvaneData::LevelFinding>& second)
{
    return std::equal(first.begin(), first.end(), second.begin(), second.end(),
                      [](const MorvaneData::LevelFinding& a, const MorvaneData::LevelFinding& b)
                      { return a.error == b.error && a.line == b.line && a.message == b.message; });
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    static const Testing::TempDirectory folder;
    folder.Write("Configuration/ProjectConfiguration.xml", R"xml(<ProjectConfiguration><Paths>
        <Path alias="CurrentLevel" path="$(LocalFolder)"/></Paths>
        <GameSystem><Objects archetypesFolder="$(LocalFolder)Archetypes"/></GameSystem></ProjectConfiguration>)xml");
    for (const auto& [name, text] : kArchetypes)
    {
        folder.Write(std::string("Archetypes/") + name, text);
    }
    for (int number = 1; number <= 6; ++number)
    {
        folder.Write("Levels/Level_" + std::to_string(number) + ".xml", "<Level/>");
    }
    // Sets the path aliases for every input.
    MorvaneData::LevelProject project(folder.Path());
    Fuzzing::Require(project.Load(), "the project loads");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tinyxml2::XMLDocument document;
    if (document.Parse(reinterpret_cast<const char*>(data), size) != tinyxml2::XML_SUCCESS)
    {
        return 0;
    }
    const tinyxml2::XMLElement* level = document.FirstChildElement();
    if (level == nullptr)
    {
        return 0;
    }
    MorvaneData::ArchetypeLibrary archetypes(kArchetypesFolder);
    MorvaneData::LevelCheck check(archetypes);
    const std::vector<MorvaneData::LevelFinding> findings = check.Run(*level);
    const long lines = 1 + std::count(data, data + size, '\n');
    for (const MorvaneData::LevelFinding& finding : findings)
    {
        Fuzzing::Require(finding.line >= 1 && finding.line <= lines,
                         "every finding names a line of the level");
    }
    Fuzzing::Require(SameFindings(check.Run(*level), findings), "a second check finds the same");
    return 0;
}
