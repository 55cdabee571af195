#pragma once

#include "System/Logging/LoggingSystem.h"

#include <gtest/gtest.h>
#include <string>

namespace Morvane::Testing
{
// Whether `part` was logged in `log`, even where the log wrapped it: the wrap may fall on any
// character, a space included, so white space is left out on both sides.
inline bool ContainsWrapped(std::string log, std::string part)
{
    const auto withoutSpace = [](std::string& text)
    { std::erase_if(text, [](char character) { return character == ' ' || character == '\n'; }); };
    withoutSpace(log);
    withoutSpace(part);
    return log.find(part) != std::string::npos;
}

// Collects everything the log prints (without colours) from construction to the first Text().
class LogCapture
{
public:
    LogCapture()
    {
        Logging::System::GetInstance().GetConsole().SetColourEnabled(false);
        testing::internal::CaptureStdout();
    }
    ~LogCapture() { Text(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::string& Text()
    {
        if (m_capturing)
        {
            m_capturing = false;
            m_text = testing::internal::GetCapturedStdout();
        }
        return m_text;
    }
    bool Contains(const std::string& text) { return Text().find(text) != std::string::npos; }

    bool ContainsWrapped(const std::string& text) { return Testing::ContainsWrapped(Text(), text); }

private:
    bool m_capturing = true;
    std::string m_text;
};

// How often `part` occurs in `text` (a log, a child's output).
inline std::size_t CountOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; ++at)
    {
        ++count;
    }
    return count;
}
} // namespace Morvane::Testing
