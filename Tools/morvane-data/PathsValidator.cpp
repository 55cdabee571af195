#include "PathsValidator.h"

#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

namespace MorvaneData
{
bool PathsValidator::Handles(const Morvane::IParserData& root) const
{
    return root.GetName() == "Paths";
}

bool PathsValidator::Validate(Morvane::IParserData& root, const std::string& path)
{
    if (!Morvane::PathWrapper::GetInstance().Parse(&root))
    {
        Morvane::Log::Error("morvane-data", Morvane::Format("%s: no path alias could be read", path.c_str()));
        return false;
    }
    return true;
}
} // namespace MorvaneData
