#pragma once

namespace Morvane::Platform
{
// Routes Ctrl-C (SIGINT) and SIGTERM into a flag the frame loop polls, so the game ends cleanly after
// the frame. Outside the frame loop, and at a second signal, they end the process at once: nothing
// else polls the flag.
void InstallInterruptHandler();
bool IsInterruptRequested();

// Marks the frame loop as running, and so polling the flag, for its lifetime.
class InterruptPollingScope
{
public:
    InterruptPollingScope();
    ~InterruptPollingScope();
    InterruptPollingScope(const InterruptPollingScope&) = delete;
    InterruptPollingScope& operator=(const InterruptPollingScope&) = delete;

private:
    const bool m_outer;
};
} // namespace Morvane::Platform
