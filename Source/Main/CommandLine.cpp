#include "Main/CommandLine.h"

#include <iterator>

namespace Morvane
{
const char* const CommandLine::kUsage =
    "usage: brimora [--capture FILE] [CONFIGURATION]\n"
    "  CONFIGURATION   the project configuration file to run\n"
    "                  (default: Configuration/ProjectConfiguration.xml beside the program)\n"
    "  --capture FILE  plays the capture script FILE and quits after its last frame: exit status 0 when\n"
    "                  every screenshot and dump was written, 1 otherwise, 2 for a bad script\n";

bool CommandLine::Parse(const std::vector<std::string>& arguments)
{
    *this = CommandLine{};
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument)
    {
        if (*argument == "--capture")
        {
            if (!m_capture.empty())
            {
                return Refuse("--capture is given twice");
            }
            if (std::next(argument) == arguments.end() || std::next(argument)->empty())
            {
                return Refuse("--capture needs a file");
            }
            m_capture = *++argument;
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
    return true;
}

bool CommandLine::Refuse(const std::string& reason)
{
    m_error = reason;
    return false;
}
} // namespace Morvane
