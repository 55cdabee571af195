#pragma once

#include <string>
#include <vector>

namespace Morvane
{
// What `brimora` is started with: an optional capture script (--capture FILE) and an optional project
// configuration file; nothing else is accepted.
class CommandLine
{
public:
    static const char* const kUsage;

    // Reads the arguments after the program's name; false with the reason in GetError().
    bool Parse(const std::vector<std::string>& arguments);

    const std::string& GetError() const { return m_error; }
    // Empty when not given.
    const std::string& GetCapture() const { return m_capture; }
    const std::string& GetConfiguration() const { return m_configuration; }

private:
    bool Refuse(const std::string& reason);

    std::string m_capture;
    std::string m_configuration;
    std::string m_error;
};
} // namespace Morvane
