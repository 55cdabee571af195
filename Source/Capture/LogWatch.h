#pragma once

#include "System/Logging/LoggingSystem.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace Morvane::Capture
{
// Counts the log lines that contain each of a few texts, literally, from construction on and whatever
// thread logs them. The harness's own channel is left out, so that a report about a text never counts
// as the text itself.
class LogWatch
{
public:
    explicit LogWatch(const std::vector<std::string>& texts);

    // Lines containing `text` logged so far; 0 for a text not watched.
    std::size_t Count(const std::string& text) const;

private:
    void Hear(const std::string& channel, const std::string& message);

    mutable std::mutex m_mutex;
    std::map<std::string, std::size_t> m_counts;
    // Last: the log stops calling Hear before the counts go.
    const Logging::ListenerHandle m_listener;
};
} // namespace Morvane::Capture
