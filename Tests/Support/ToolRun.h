#pragma once

#include <string>

namespace Morvane::Testing
{
struct ToolResult
{
    int exitCode = -1;
    std::string output;
};

// Runs build/Tools/<tool>/<tool> (the tool built beside the tests) through the shell with `arguments`
// and `redirection` (for example "2>&1" or "2>/dev/null"), and collects its standard output.
ToolResult RunTool(const std::string& tool, const std::string& arguments, const std::string& redirection);
// The same for the program at `path` inside the build folder (for example "brimora").
ToolResult RunBuilt(const std::string& path, const std::string& arguments, const std::string& redirection);
// The game built beside the tests, headless and silent: no sound device, SDL's offscreen driver where
// there is no display.
ToolResult RunGame(const std::string& arguments);
} // namespace Morvane::Testing
