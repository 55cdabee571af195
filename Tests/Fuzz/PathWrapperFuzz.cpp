// Expansion always ends and either fails (returning the input) or leaves no alias reference behind,
// whatever the aliases refer to, themselves included.
#include "FuzzSupport.h"
#include "System/PathWrapper/PathWrapper.h"

using namespace Morvane;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    PathWrapper& paths = PathWrapper::GetInstance();
    for (const auto& [alias, path] : {std::pair{"Data", "C:\\Game\\Data"},
                                      {"Levels", "$(Data)Levels"},
                                      {"Self", "$(Self)x"},
                                      {"Ping", "$(Pong)"},
                                      {"Pong", "$(Ping)"}})
    {
        paths.AddPath(alias, path);
    }
    return 0;
}

// Input: one byte choosing an alias to redefine (or none), the folder up to the first line feed,
// then the text to expand. The alias set stays small, so runs do not pile up state.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
    {
        return 0;
    }
    static const char* const kAliases[] = {"A", "B", "Self", "Levels"};
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t lineFeed = rest.find('\n');
    const std::string text = lineFeed == std::string::npos ? rest : rest.substr(lineFeed + 1);
    PathWrapper& paths = PathWrapper::GetInstance();
    if (data[0] < 4 && lineFeed != std::string::npos)
    {
        paths.AddPath(kAliases[data[0]], rest.substr(0, lineFeed));
    }

    const std::string expanded = paths.Expand(text);
    Fuzzing::Require(expanded == text || expanded.find_first_of("$\\") == std::string::npos,
                     "an expansion is either refused or complete, with forward slashes only");
    (void)PathWrapper::GetFolder(text);
    return 0;
}
