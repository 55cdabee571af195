#include "OptionsValidator.h"

#include "Behavior/Options/OptionsFile.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <vector>

namespace MorvaneData
{
bool OptionsValidator::Handles(const Morvane::IParserData& root) const
{
    return root.GetName() == "Options";
}

bool OptionsValidator::Validate(Morvane::IParserData&, const std::string& path)
{
    std::vector<std::string> problems;
    OptionsFile(path).Read(problems);
    for (const std::string& problem : problems)
    {
        Morvane::Log::Error("morvane-data", Morvane::Format("%s: %s", path.c_str(), problem.c_str()));
    }
    return problems.empty();
}
} // namespace MorvaneData
