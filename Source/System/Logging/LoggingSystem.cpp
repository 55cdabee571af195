#include "System/Logging/LoggingSystem.h"

#include "System/Logging/Format.h"

#include <algorithm>
#include <ctime>

namespace Morvane::Logging
{
namespace
{
constexpr std::size_t kChannelWidth = 20;
constexpr std::size_t kWrapColumn = 127;
constexpr std::size_t kMinimumMessageWidth = 20;

std::string TimeStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Format("%.2d:%.2d:%.2d: ", local.tm_hour, local.tm_min, local.tm_sec);
}
} // namespace

System& System::GetInstance()
{
    static System instance;
    return instance;
}

System::System() : ISystem(LogBase{}), m_console(stdout) {}

void System::Info(const std::string& subsystem, const std::string& message)
{
    Write(subsystem, message, Platform::ConsoleColour::BrightGreen);
}

void System::Warning(const std::string& subsystem, const std::string& message)
{
    Write(subsystem, message, Platform::ConsoleColour::Yellow);
}

void System::Error(const std::string& subsystem, const std::string& message)
{
    Write(subsystem, message, Platform::ConsoleColour::BrightRed);
}

std::string System::Wrap(const std::string& message, std::size_t indent)
{
    std::string wrapped;
    wrapped.reserve(message.size() + message.size() / 64 * (indent + 1));
    const std::string padding(indent, ' ');
    std::size_t column = indent;
    for (const char character : message)
    {
        ++column;
        wrapped += character;
        if (character == '\n')
        {
            wrapped += padding;
            column = 0;
        }
        else if (column >= kWrapColumn)
        {
            wrapped += '\n';
            wrapped += padding;
            column = indent;
        }
    }
    return wrapped;
}

void System::Write(const std::string& subsystem, const std::string& message, Platform::ConsoleColour colour)
{
    const std::lock_guard lock(m_mutex);
    const std::string stamp = TimeStamp();

    m_console.SetColour(Platform::ConsoleColour::Grey);
    m_console.Write(stamp);

    m_console.SetColour(Platform::ConsoleColour::BrightWhite);
    const std::string channelPadding(kChannelWidth - std::min(kChannelWidth, subsystem.size()), ' ');
    m_console.Write(channelPadding + subsystem + ":");

    const std::size_t indent = stamp.size() + 2 + std::max(kChannelWidth, subsystem.size());
    std::string line = " " + Wrap(message, indent);
    const std::size_t written = line.size() - 1;
    if (written < kMinimumMessageWidth)
    {
        line.append(kMinimumMessageWidth - written, ' ');
    }
    line += '\n';
    m_console.SetColour(colour);
    m_console.Write(line);
    m_console.SetColour(Platform::ConsoleColour::Grey);
    m_console.Flush();
}
} // namespace Morvane::Logging
