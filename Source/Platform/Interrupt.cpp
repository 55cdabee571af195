#include "Platform/Interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <ctime>

namespace Morvane::Platform
{
namespace
{
std::atomic<bool> interruptRequested{false};
std::atomic<bool> polling{false};
// When the first interrupt was taken, in nanoseconds of the monotonic clock.
std::atomic<std::int64_t> firstInterruptAt{0};
static_assert(std::atomic<bool>::is_always_lock_free, "the flags are read from a signal handler");
static_assert(std::atomic<std::int64_t>::is_always_lock_free, "the time is read from a signal handler");

// One interrupt often arrives twice at once (`timeout` signals the game and then its whole group):
// only an interrupt this long after the first asks to stop at once.
constexpr std::int64_t kSecondInterruptDelay = 1'000'000'000;

std::int64_t Now()
{
    // clock_gettime may be called from a signal handler.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

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
    if (polling.load())
    {
        if (!interruptRequested.exchange(true))
        {
            firstInterruptAt.store(Now());
            return;
        }
        if (Now() - firstInterruptAt.load() < kSecondInterruptDelay)
        {
            return;
        }
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
