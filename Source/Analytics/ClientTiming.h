#pragma once

#include <chrono>

namespace Morvane::GameAnalytics
{
// The analytics client's waits. The defaults are the game's; tests shorten them.
struct ClientTiming
{
    // After each event, and after each pass over the queue: the service takes at most one event a second.
    std::chrono::milliseconds pause{1000};
    // Longest wait of each network step: name lookup, connect, send, receive.
    std::chrono::milliseconds networkTimeout{3000};
    // Longest time shutdown spends posting what is still queued before it abandons the rest.
    std::chrono::milliseconds shutdownLimit{2000};
};
} // namespace Morvane::GameAnalytics
