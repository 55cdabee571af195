#pragma once

#include <string>
#include <vector>

namespace Morvane
{
// What `brimora` is started with: an optional capture script to play (--capture FILE) or a file to
// record the player's input into (--record FILE), and an optional project configuration file; nothing
// else is accepted.
class CommandLine
{
public:
    static const char* const kUsage;

    // Reads the arguments after the program's name; false with the reason in GetError().
    bool Parse(const std::vector<std::string>& arguments);

    const std::string& GetError() const { return m_error; }
    // Empty when not given.
    const std::string& GetCapture() const { return m_capture; }
    const std::string& GetRecord() const { return m_record; }
    const std::string& GetConfiguration() const { return m_configuration; }

private:
    bool Refuse(const std::string& reason);
    bool TakeFile(const std::string& option, std::vector<std::string>::const_iterator& argument,
                  const std::vector<std::string>::const_iterator& end, std::string& file);

    std::string m_capture;
    std::string m_record;
    std::string m_configuration;
    std::string m_error;
};
} // namespace Morvane
