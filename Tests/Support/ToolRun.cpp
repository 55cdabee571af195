#include "Support/ToolRun.h"

#include "Platform/ExecutablePath.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace Morvane::Testing
{
ToolResult RunTool(const std::string& tool, const std::string& arguments, const std::string& redirection)
{
    return RunBuilt("Tools/" + tool + "/" + tool, arguments, redirection);
}

ToolResult RunBuilt(const std::string& path, const std::string& arguments, const std::string& redirection)
{
    const auto build = std::filesystem::path(Platform::GetExecutablePath()).parent_path().parent_path();
    const std::string program = (build / path).string();
    std::FILE* pipe = popen(("'" + program + "' " + arguments + " " + redirection).c_str(), "r");
    ToolResult result;
    if (pipe == nullptr)
    {
        return result;
    }
    std::array<char, 4096> buffer{};
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe))
    {
        result.output.append(buffer.data(), read);
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

ToolResult RunGame(const std::string& arguments)
{
    setenv("ALSOFT_DRIVERS", "none", 1);
#ifdef MORVANE_SANITIZED
    // SDL never shuts libdbus down and unloads Mesa's driver with its allocations still held.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
#endif
    if (std::getenv("DISPLAY") == nullptr)
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    }
    return RunBuilt("brimora", arguments, "2>&1");
}
} // namespace Morvane::Testing
