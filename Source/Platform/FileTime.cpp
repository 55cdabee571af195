#include "Platform/FileTime.h"

#include <sys/stat.h>

namespace Morvane::Platform
{
std::optional<std::uint64_t> GetLastWriteTime(const std::string& path)
{
    struct stat status
    {
    };
    if (stat(path.c_str(), &status) != 0)
    {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 10'000'000u +
           static_cast<std::uint64_t>(status.st_mtim.tv_nsec) / 100u;
}
} // namespace Morvane::Platform
