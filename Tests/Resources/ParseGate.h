#pragma once

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
    void Pass(const std::string& name);
    // True once `name` has reached the gate; false after ten seconds without it.
    bool WaitForArrival(const std::string& name);
    void Open(const std::string& name);
    void OpenAll();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::string> m_arrived;
    std::set<std::string> m_opened;
    bool m_allOpen = false;
};
} // namespace Morvane::Testing
