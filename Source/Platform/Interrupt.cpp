#include "Platform/Interrupt.h"

#include <atomic>
#include <csignal>

namespace Morvane::Platform
{
namespace
{
std::atomic<bool> interruptRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void OnInterrupt(int)
{
    interruptRequested.store(true);
}
} // namespace

void InstallInterruptHandler()
{
    struct sigaction action
    {
    };
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool IsInterruptRequested()
{
    return interruptRequested.load();
}

void ClearInterruptRequest()
{
    interruptRequested.store(false);
}
} // namespace Morvane::Platform
