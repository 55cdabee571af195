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

ListenerHandle::~ListenerHandle()
{
    System::GetInstance().RemoveListener(m_id);
}

System& System::GetInstance()
{
    static System instance;
    return instance;
}

System::System() : ISystem(LogBase{}), m_console(stdout), m_wrap(m_console.IsTerminal()) {}

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

ListenerHandle System::AddListener(Listener listener)
{
    const std::lock_guard lock(m_mutex);
    const std::uint64_t id = m_nextListener++;
    m_listeners.emplace_back(id, std::move(listener));
    return ListenerHandle(id);
}

void System::RemoveListener(std::uint64_t id)
{
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

std::string System::Wrap(const std::string& message, std::size_t indent, bool wrap)
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
        else if (wrap && column >= kWrapColumn)
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
    std::string line(1, ' ');
    line += Wrap(message, indent, m_wrap);
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
    for (const auto& [id, listener] : m_listeners)
    {
        listener(subsystem, message);
    }
}
} // namespace Morvane::Logging
