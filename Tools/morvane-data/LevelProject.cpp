#include "LevelProject.h"

#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Parsing/ReferencedFile/ReferencedFile.h"
#include "Parsing/ReferencedFile/Sections.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

#include <filesystem>
#include <system_error>

namespace MorvaneData
{
namespace
{
const char* const kChannel = "morvane-data";
const char* const kConfiguration = "Configuration/ProjectConfiguration.xml";

// The archetypes folder the game system ends with: the last "Objects" that names one, in the order
// the game system reads its data (a "path" file first, then the element's own children).
bool FindArchetypesFolder(Morvane::IParserData& data, std::string& folder)
{
    if (data.GetName() == "GameSystem")
    {
        Morvane::ReferencedFile file(data);
        if (file.IsNamed())
        {
            Morvane::IParserData* root = file.Read();
            if (root == nullptr || !FindArchetypesFolder(*root, folder))
            {
                return false;
            }
        }
    }
    return Morvane::ForEachInSections(
        data,
        [&folder](Morvane::IParserData& child)
        {
            if (child.GetName() != "Objects")
            {
                return true;
            }
            if (const std::string named = child.GetAttribute("archetypesFolder", ""); !named.empty())
            {
                folder = named;
            }
            return FindArchetypesFolder(child, folder);
        },
        [] {});
}
} // namespace

std::string LevelProject::FindDataFolder(const std::string& levelPath)
{
    std::error_code error;
    const std::filesystem::path level = std::filesystem::absolute(levelPath, error);
    if (error)
    {
        return "";
    }
    for (std::filesystem::path folder = level.parent_path(); !folder.empty(); folder = folder.parent_path())
    {
        if (std::filesystem::is_regular_file(folder / kConfiguration, error))
        {
            return folder.string() + "/";
        }
        if (folder == folder.root_path())
        {
            break;
        }
    }
    return "";
}

bool LevelProject::Load()
{
    Morvane::PathWrapper& paths = Morvane::PathWrapper::GetInstance();
    paths.AddPath("LocalFolder", m_dataFolder);
    const std::string file = m_dataFolder + kConfiguration;
    Morvane::FileParser parser;
    Morvane::IParserData* root = parser.Parse(file);
    std::string archetypes;
    // Paths before the game system, as the system manager reads them: its files may use the aliases.
    const bool read = root != nullptr && Morvane::ForEachInSections(
                                             *root,
                                             [&paths, &archetypes](Morvane::IParserData& child)
                                             {
                                                 if (child.GetName() == "Paths")
                                                 {
                                                     return paths.Parse(&child);
                                                 }
                                                 return child.GetName() != "GameSystem" ||
                                                        FindArchetypesFolder(child, archetypes);
                                             },
                                             [] {});
    if (!read)
    {
        Morvane::Log::Error(kChannel,
                            Morvane::Format("%s: the project configuration cannot be read", file.c_str()));
        return false;
    }
    m_archetypes.emplace(archetypes);
    return true;
}
} // namespace MorvaneData
