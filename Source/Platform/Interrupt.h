#pragma once

namespace Morvane::Platform
{
// Routes Ctrl-C (SIGINT) and SIGTERM into a flag the frame loop polls, so the game ends cleanly after
// the frame. Outside a polled stretch (below), and at a second signal that comes more than a second
// after the first, they end the process at once; a repeat within that second is the same request.
void InstallInterruptHandler();
bool IsInterruptRequested();

// Marks a stretch of the run in which the flag will be polled (the game starting up and its frame
// loop), or with `polled` false one in which nothing polls it (a message box waiting for the player),
// for the scope's lifetime.
class InterruptPollingScope
{
public:
    explicit InterruptPollingScope(bool polled = true);
    ~InterruptPollingScope();
    InterruptPollingScope(const InterruptPollingScope&) = delete;
    InterruptPollingScope& operator=(const InterruptPollingScope&) = delete;

private:
    const bool m_outer;
};
} // namespace Morvane::Platform
