#include "ConstantsValidator.h"

#include "ConstantManager/ConstantManager.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cstdlib>
#include <regex>

namespace MorvaneData
{
namespace
{
const char* const kChannel = "morvane-data";

bool IsDecimal(const std::string& text)
{
    static const std::regex decimal("[+-]?[0-9]+");
    return std::regex_match(text, decimal);
}
} // namespace

bool ConstantsValidator::Handles(const Morvane::IParserData& root) const
{
    return root.GetName() == "Context";
}

bool ConstantsValidator::Validate(Morvane::IParserData& root, const std::string& path)
{
    bool valid = Morvane::ConstantManager::GetInstance().Parse(&root);
    for (const Morvane::IParserData* constant = root.GetFirstChild(); constant != nullptr;
         constant = constant->GetNextSibling())
    {
        if (constant->GetName() != "Constant")
        {
            continue;
        }
        const std::string name = constant->GetAttribute("name", "");
        const std::string value = constant->GetAttribute("value", "0");
        if (name.empty())
        {
            Morvane::Log::Error(kChannel, Morvane::Format("%s: a constant has no name", path.c_str()));
            valid = false;
        }
        if (!IsDecimal(value))
        {
            Morvane::Log::Error(
                kChannel, Morvane::Format("%s: constant '%s' has value '%s', which reads as %d", path.c_str(),
                                          name.c_str(), value.c_str(), std::atoi(value.c_str())));
            valid = false;
        }
    }
    return valid;
}
} // namespace MorvaneData
