#include "Platform/Console.h"

#include <unistd.h>

namespace Morvane::Platform
{
namespace
{
const char* EscapeFor(ConsoleColour colour)
{
    switch (colour)
    {
    case ConsoleColour::BrightGreen:
        return "\033[0;92m";
    case ConsoleColour::BrightRed:
        return "\033[0;91m";
    case ConsoleColour::Yellow:
        return "\033[0;93m";
    case ConsoleColour::BrightWhite:
        return "\033[0;97m";
    case ConsoleColour::Grey:
        break;
    }
    return "\033[0;37m";
}
} // namespace

Console::Console(std::FILE* stream)
    : m_stream(stream), m_terminal(isatty(fileno(stream)) == 1), m_colourEnabled(m_terminal)
{
}

void Console::SetColour(ConsoleColour colour)
{
    if (m_colourEnabled)
    {
        std::fputs(EscapeFor(colour), m_stream);
    }
}

void Console::Write(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), m_stream);
}

void Console::Flush()
{
    std::fflush(m_stream);
}
} // namespace Morvane::Platform
