#include "Main/CommandLine.h"

#include <iterator>

namespace Morvane
{
const char* const CommandLine::kUsage =
    "usage: brimora [--capture FILE | --record FILE] [CONFIGURATION]\n"
    "  CONFIGURATION   the project configuration file to run\n"
    "                  (default: Configuration/ProjectConfiguration.xml beside the program)\n"
    "  --capture FILE  plays the capture script FILE and quits after its last frame: exit status 0 when\n"
    "                  every screenshot and dump was written, 1 otherwise, 2 for a bad script\n"
    "  --record FILE   plays normally, one fixed step of 0.016 s a frame, and writes the player's input\n"
    "                  to FILE as a capture script when the game ends\n";

bool CommandLine::Parse(const std::vector<std::string>& arguments)
{
    *this = CommandLine{};
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument)
    {
        if (*argument == "--capture" || *argument == "--record")
        {
            if (!TakeFile(*argument, argument, arguments.end(),
                          *argument == "--capture" ? m_capture : m_record))
            {
                return false;
            }
        }
        else if (argument->empty() || argument->front() == '-')
        {
            return Refuse("unknown option '" + *argument + "'");
        }
        else if (!m_configuration.empty())
        {
            return Refuse("one configuration file at most, not '" + m_configuration + "' and '" + *argument +
                          "'");
        }
        else
        {
            m_configuration = *argument;
        }
    }
    if (!m_capture.empty() && !m_record.empty())
    {
        return Refuse("--capture and --record cannot be combined");
    }
    return true;
}

bool CommandLine::TakeFile(const std::string& option, std::vector<std::string>::const_iterator& argument,
                           const std::vector<std::string>::const_iterator& end, std::string& file)
{
    if (!file.empty())
    {
        return Refuse(option + " is given twice");
    }
    if (std::next(argument) == end || std::next(argument)->empty())
    {
        return Refuse(option + " needs a file");
    }
    file = *++argument;
    return true;
}

bool CommandLine::Refuse(const std::string& reason)
{
    m_error = reason;
    return false;
}
} // namespace Morvane
