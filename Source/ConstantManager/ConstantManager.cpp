#include "ConstantManager/ConstantManager.h"

#include "Parsing/IParserData.h"
#include "Parsing/ReferencedFile/ReferencedFile.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

namespace Morvane
{
namespace
{
const char* const kChannel = "Constant manager";
}

ConstantManager& ConstantManager::GetInstance()
{
    static ConstantManager instance;
    return instance;
}

bool ConstantManager::Parse(IParserData* data)
{
    if (data != nullptr && data->GetName() == "Constants")
    {
        if (ReferencedFile file(*data); file.IsNamed())
        {
            IParserData* root = file.Read();
            // An unreadable file has already been logged by the parser: fail instead of asserting.
            return root != nullptr && Parse(root);
        }
    }
    MORVANE_ASSERT_NAMED(data != nullptr, "parserData", 35);

    bool readAny = false;
    for (const IParserData* element = data; element != nullptr; element = element->GetNextSibling())
    {
        if (element->GetName() == "Context")
        {
            ParseContext(*element);
            readAny = true;
        }
        else
        {
            Log::Warning(kChannel, Format("Unknown parser element '%s'", element->GetName().c_str()));
        }
    }
    return readAny;
}

void ConstantManager::ParseContext(const IParserData& element)
{
    Context context;
    for (const IParserData* child = element.GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        if (child->GetName() == "Constant")
        {
            context[child->GetAttribute("name", "")] = child->GetAttributeInt("value", 0);
        }
        else
        {
            Log::Warning(kChannel, Format("Unknown parser element '%s'", child->GetName().c_str()));
        }
    }
    contexts[element.GetAttribute("name", "NoNamedContext")] = std::move(context);
}

int ConstantManager::GetConstant(const std::string& context, const std::string& name, int defaultValue) const
{
    const auto foundContext = contexts.find(context);
    if (foundContext == contexts.end())
    {
        Log::Warning(kChannel, Format("Trying to get constant of unexistent context '%s'", context.c_str()));
        return defaultValue;
    }
    const auto found = foundContext->second.find(name);
    if (found == foundContext->second.end())
    {
        Log::Warning(kChannel, Format("Tried to find unexistent value '%s' in context '%s'", name.c_str(),
                                      context.c_str()));
        return defaultValue;
    }
    return found->second;
}
} // namespace Morvane
