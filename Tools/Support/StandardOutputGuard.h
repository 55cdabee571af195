#pragma once

#include <string_view>

namespace MorvaneTools
{
// While alive, everything the program writes to standard output (the engine's log included) goes to
// standard error instead; Write still reaches the real standard output. So `morvane-data print a.xml
// > b.xml` writes nothing but the data into b.xml, and a morvane-physics report pipes without the log.
class StandardOutputGuard
{
public:
    StandardOutputGuard();
    ~StandardOutputGuard();
    StandardOutputGuard(const StandardOutputGuard&) = delete;
    StandardOutputGuard& operator=(const StandardOutputGuard&) = delete;

    bool Write(std::string_view text) const;

private:
    int m_output;
};
} // namespace MorvaneTools
