#include "Platform/ExecutablePath.h"

#include <climits>
#include <unistd.h>
#include <vector>

namespace Morvane::Platform
{
std::string GetExecutablePath()
{
    std::vector<char> buffer(PATH_MAX);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
    {
        return {};
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}
} // namespace Morvane::Platform
