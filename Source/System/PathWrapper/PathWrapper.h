#pragma once

#include <map>
#include <shared_mutex>
#include <string>

namespace Morvane
{
class IParserData;

// Path aliases: "$(Alias)" references in file names expand to folders. "LocalFolder" is the
// executable's folder. Expand may be called from any thread (the load thread expands sound paths).
class PathWrapper
{
public:
    static PathWrapper& GetInstance();

    bool Parse(IParserData* data);
    void AddPath(const std::string& alias, const std::string& folder);
    std::string Expand(const std::string& text) const;

    // `path` with '\' turned into '/', cut after its last '/'; a path without '/' is returned whole.
    static std::string GetFolder(const std::string& path);

private:
    PathWrapper();
    PathWrapper(const PathWrapper&) = delete;
    PathWrapper& operator=(const PathWrapper&) = delete;

    mutable std::shared_mutex m_mutex;
    std::map<std::string, std::string> aliases;
};
} // namespace Morvane
