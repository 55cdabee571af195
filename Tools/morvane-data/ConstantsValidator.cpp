#include "ConstantsValidator.h"

#include "ConstantManager/ConstantManager.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace MorvaneData
{
namespace
{
const char* const kChannel = "morvane-data";

// Whether the engine's atoi reads the whole text as the number it says: leading white space and a
// sign are fine, anything after the digits or a value outside int is not.
bool ReadsAsInt(const std::string& text)
{
    errno = 0;
    char* stop = nullptr;
    const long value = std::strtol(text.c_str(), &stop, 10);
    return stop != text.c_str() && *stop == '\0' && errno == 0 && value >= std::numeric_limits<int>::min() &&
           value <= std::numeric_limits<int>::max();
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
        if (!ReadsAsInt(value))
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
