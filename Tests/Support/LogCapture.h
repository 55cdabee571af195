#pragma once

#include <string>

namespace Morvane::Testing
{
// Collects everything the log prints between construction and Text().
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The captured text; capturing stops at the first call.
    const std::string& Text();
    bool Contains(const std::string& text) { return Text().find(text) != std::string::npos; }

private:
    bool m_capturing = true;
    std::string m_text;
};
} // namespace Morvane::Testing
