#include "Platform/Interrupt.h"

#include <atomic>
#include <csignal>

namespace Morvane::Platform
{
namespace
{
std::atomic<bool> interruptRequested{false};
std::atomic<bool> polling{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flags are read from a signal handler");

void SetAction(int signal, void (*handler)(int))
{
    struct sigaction action
    {
    };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

extern "C" void OnInterrupt(int signal)
{
    if (polling.load() && !interruptRequested.exchange(true))
    {
        return;
    }
    // Blocked until the handler returns, the raised signal then takes its default course.
    SetAction(signal, SIG_DFL);
    raise(signal);
}
} // namespace

void InstallInterruptHandler()
{
    SetAction(SIGINT, &OnInterrupt);
    SetAction(SIGTERM, &OnInterrupt);
}

bool IsInterruptRequested()
{
    return interruptRequested.load();
}

InterruptPollingScope::InterruptPollingScope(bool polled) : m_outer(polling.exchange(polled)) {}

InterruptPollingScope::~InterruptPollingScope()
{
    polling.store(m_outer);
}
} // namespace Morvane::Platform
