#include "Capture/LogWatch.h"

namespace Morvane::Capture
{
LogWatch::LogWatch(const std::vector<std::string>& texts)
    : m_listener(Logging::System::GetInstance().AddListener(
          [this](const std::string& channel, const std::string& message) { Hear(channel, message); }))
{
    const std::lock_guard lock(m_mutex);
    for (const std::string& text : texts)
    {
        m_counts.emplace(text, 0);
    }
}

std::size_t LogWatch::Count(const std::string& text) const
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_counts.find(text);
    return found == m_counts.end() ? 0 : found->second;
}

void LogWatch::Hear(const std::string& channel, const std::string& message)
{
    if (channel == "Capture")
    {
        return;
    }
    const std::lock_guard lock(m_mutex);
    for (auto& [text, count] : m_counts)
    {
        if (message.find(text) != std::string::npos)
        {
            ++count;
        }
    }
}
} // namespace Morvane::Capture
