#include "Analytics/AnalyticsSystem.h"

namespace Morvane::GameAnalytics
{
System& System::GetInstance()
{
    static System instance;
    return instance;
}

void System::Initialize()
{
    m_build = "BETA";
    m_initialized = true;
}

void System::SubmitEvent(const AnalyticsEvent& event)
{
    if (!m_initialized)
    {
        return;
    }
    AnalyticsEvent queued = event;
    queued.userId = m_userId;
    queued.sessionId = m_sessionId;
    queued.build = m_build;
    const std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(queued));
}

std::vector<AnalyticsEvent> System::GetQueuedEvents() const
{
    const std::lock_guard lock(m_mutex);
    return m_queue;
}
} // namespace Morvane::GameAnalytics
