#pragma once

#include "Analytics/AnalyticsEvent.h"

#include <mutex>
#include <vector>

namespace Morvane::GameAnalytics
{
// Queues design and error events for the analytics service.
class System
{
public:
    static System& GetInstance();

    void Initialize();
    void SubmitEvent(const AnalyticsEvent& event);

    // Events submitted and not yet sent, oldest first.
    std::vector<AnalyticsEvent> GetQueuedEvents() const;

private:
    System() = default;

    bool m_initialized = false;
    std::string m_userId;
    std::string m_sessionId;
    std::string m_build;
    mutable std::mutex m_mutex;
    std::vector<AnalyticsEvent> m_queue;
};
} // namespace Morvane::GameAnalytics
