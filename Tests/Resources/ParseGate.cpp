#include "ParseGate.h"

#include <chrono>

namespace Morvane::Testing
{
void ParseGate::Pass(const std::string& name)
{
    std::unique_lock lock(m_mutex);
    m_arrived.insert(name);
    m_changed.notify_all();
    m_changed.wait(lock, [&] { return m_allOpen || m_opened.contains(name); });
}

bool ParseGate::WaitForArrival(const std::string& name)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_arrived.contains(name); });
}

void ParseGate::Open(const std::string& name)
{
    const std::lock_guard lock(m_mutex);
    m_opened.insert(name);
    m_changed.notify_all();
}

void ParseGate::OpenAll()
{
    const std::lock_guard lock(m_mutex);
    m_allOpen = true;
    m_changed.notify_all();
}
} // namespace Morvane::Testing
