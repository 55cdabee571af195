#include "System/PathWrapper/PathWrapper.h"

#include "Parsing/IParserData.h"
#include "Parsing/ReferencedFile/ReferencedFile.h"
#include "Platform/ExecutablePath.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>

namespace Morvane
{
namespace
{
const char* const kChannel = "PathWrapper";
// More replacements than this means an alias refers to itself, directly or through others.
constexpr int kMaxExpansions = 64;

std::string WithForwardSlashes(std::string text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}
} // namespace

PathWrapper& PathWrapper::GetInstance()
{
    static PathWrapper instance;
    return instance;
}

PathWrapper::PathWrapper()
{
    // The platform answers nothing when the name does not fit its buffer or cannot be read.
    const std::string path = WithForwardSlashes(Platform::GetExecutablePath());
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
    {
        Log::Error(kChannel, "Could not get current path");
        return;
    }
    AddPath("LocalFolder", path.substr(0, slash + 1));
}

void PathWrapper::AddPath(const std::string& alias, const std::string& folder)
{
    std::string stored = WithForwardSlashes(folder);
    if (!stored.empty() && stored.back() != '/')
    {
        stored += '/';
    }
    const std::unique_lock lock(m_mutex);
    if (const auto existing = aliases.find(alias); existing != aliases.end())
    {
        Log::Warning(kChannel, Format("Path '%s' already exists. Replacing '%s' by '%s'", alias.c_str(),
                                      existing->second.c_str(), stored.c_str()));
    }
    aliases[alias] = stored;
}

std::string PathWrapper::Expand(const std::string& text) const
{
    std::string expanded = WithForwardSlashes(text);
    int expansions = 0;
    const std::shared_lock lock(m_mutex);
    for (std::size_t dollar = expanded.find('$'); dollar != std::string::npos; dollar = expanded.find('$'))
    {
        if (dollar + 1 >= expanded.size() || expanded[dollar + 1] != '(')
        {
            Log::Warning(kChannel, Format("Bad formatting at '%s'", text.c_str()));
            return text;
        }
        const std::size_t close = expanded.find(')', dollar);
        if (close == std::string::npos)
        {
            Log::Warning(kChannel, Format("Bad formatting at '%s'", text.c_str()));
            return text;
        }
        const std::string alias = expanded.substr(dollar + 2, close - dollar - 2);
        const auto found = aliases.find(alias);
        if (found == aliases.end() || found->second.empty() || ++expansions > kMaxExpansions)
        {
            Log::Warning(kChannel, Format("Bad alias, not found '%s'", alias.c_str()));
            return text;
        }
        expanded.replace(dollar, close - dollar + 1, found->second);
    }
    return expanded;
}

std::string PathWrapper::GetFolder(const std::string& path)
{
    const std::string folder = WithForwardSlashes(path);
    const std::size_t slash = folder.rfind('/');
    return slash == std::string::npos ? folder : folder.substr(0, slash + 1);
}

bool PathWrapper::Parse(IParserData* data)
{
    if (data == nullptr)
    {
        return false;
    }
    if (data->GetName() == "Paths")
    {
        if (ReferencedFile file(*data); file.IsNamed())
        {
            return Parse(file.Read());
        }
    }
    bool readAny = false;
    for (IParserData* child = data->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        if (child->GetName() == "Path")
        {
            AddPath(child->GetAttribute("alias", ""), Expand(child->GetAttribute("path", "")));
            readAny = true;
        }
        else
        {
            Log::Warning(kChannel, Format("Unknown parser element '%s'", child->GetName().c_str()));
        }
    }
    return readAny;
}
} // namespace Morvane
