#include "LevelValidator.h"

#include "LevelCheck.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <tinyxml2.h>

namespace MorvaneData
{
namespace
{
const char* const kChannel = "morvane-data";
}

bool LevelValidator::Handles(const Morvane::IParserData& root) const
{
    return root.GetName() == "Level";
}

bool LevelValidator::Validate(Morvane::IParserData&, const std::string& path)
{
    using Morvane::Format;
    const std::string dataFolder = LevelProject::FindDataFolder(path);
    if (dataFolder.empty())
    {
        Morvane::Log::Error(kChannel,
                            Format("%s: no Configuration/ProjectConfiguration.xml in the level's folder "
                                   "or above it",
                                   path.c_str()));
        return false;
    }
    if (m_project == nullptr || m_project->GetDataFolder() != dataFolder)
    {
        m_project = std::make_unique<LevelProject>(dataFolder);
        if (!m_project->Load())
        {
            m_project.reset();
            return false;
        }
    }
    // The engine's tree has no line numbers: the file is read again for them.
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLElement* level =
        document.LoadFile(path.c_str()) == tinyxml2::XML_SUCCESS ? document.FirstChildElement() : nullptr;
    if (level == nullptr)
    {
        Morvane::Log::Error(kChannel,
                            Format("%s: the level cannot be read again for its lines", path.c_str()));
        return false;
    }
    bool valid = true;
    for (const LevelFinding& finding : LevelCheck(m_project->GetArchetypes()).Run(*level))
    {
        if (finding.error)
        {
            Morvane::Log::Error(kChannel,
                                Format("%s:%d: %s", path.c_str(), finding.line, finding.message.c_str()));
            valid = false;
        }
        else
        {
            Morvane::Log::Warning(
                kChannel, Format("%s:%d: warning: %s", path.c_str(), finding.line, finding.message.c_str()));
        }
    }
    return valid;
}
} // namespace MorvaneData
