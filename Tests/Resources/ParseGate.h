#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>

namespace Morvane::Testing
{
// Holds resources at the start of their Parse until the test lets them through, so that a test can see
// the load thread in the middle of a batch.
class ParseGate
{
public:
    // Called from Parse: records the arrival, then blocks until `name` (or everything) is let through.
    void Pass(const std::string& name)
    {
        std::unique_lock lock(m_mutex);
        m_arrived.insert(name);
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_allOpen || m_opened.contains(name); });
    }

    // True once `name` has reached the gate; false after ten seconds without it.
    bool WaitForArrival(const std::string& name)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_arrived.contains(name); });
    }

    void Open(const std::string& name)
    {
        const std::lock_guard lock(m_mutex);
        m_opened.insert(name);
        m_changed.notify_all();
    }

    void OpenAll()
    {
        const std::lock_guard lock(m_mutex);
        m_allOpen = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::string> m_arrived;
    std::set<std::string> m_opened;
    bool m_allOpen = false;
};
} // namespace Morvane::Testing
