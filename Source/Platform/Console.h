#pragma once

#include <cstdio>
#include <string_view>

namespace Morvane::Platform
{
// Text attributes of the classic 16-colour console palette, as the log uses them.
enum class ConsoleColour
{
    Grey = 7,
    BrightGreen = 10,
    BrightRed = 12,
    Yellow = 14,
    BrightWhite = 15,
};

// Coloured text output. Colours become ANSI escapes only when the stream is a terminal,
// so a log piped into a file stays plain text.
class Console
{
public:
    explicit Console(std::FILE* stream);

    void SetColour(ConsoleColour colour);
    void Write(std::string_view text);
    void Flush();

    void SetColourEnabled(bool enabled) { m_colourEnabled = enabled; }
    // Whether the stream was a terminal when the console was made.
    bool IsTerminal() const { return m_terminal; }

private:
    std::FILE* m_stream;
    bool m_terminal;
    bool m_colourEnabled;
};
} // namespace Morvane::Platform
