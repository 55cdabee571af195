// Log throughput with standard output sent to a file and to /dev/null, from one and two threads.
#include "System/Logging/LoggingSystem.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <optional>
#include <string>
#include <unistd.h>

namespace
{
using namespace Morvane;

// Points standard output at `target` for the benchmark's duration.
class RedirectedOutput
{
public:
    explicit RedirectedOutput(const char* target)
    {
        std::fflush(stdout);
        m_saved = dup(fileno(stdout));
        if (std::freopen(target, "w", stdout) == nullptr)
        {
            std::abort();
        }
    }
    ~RedirectedOutput()
    {
        std::fflush(stdout);
        dup2(m_saved, fileno(stdout));
        close(m_saved);
    }
    RedirectedOutput(const RedirectedOutput&) = delete;
    RedirectedOutput& operator=(const RedirectedOutput&) = delete;

private:
    int m_saved = -1;
};

void LogTo(benchmark::State& state, const char* target)
{
    static std::optional<RedirectedOutput> redirect;
    if (state.thread_index() == 0)
    {
        redirect.emplace(target);
    }
    const std::string message = "Resource 'Texture_Wall' loaded in 3 ms from the load thread";
    for (auto _ : state)
    {
        Log::Info("Resource system", message);
    }
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0)
    {
        redirect.reset();
    }
}

void BM_LogToDevNull(benchmark::State& state)
{
    LogTo(state, "/dev/null");
}

void BM_LogToFile(benchmark::State& state)
{
    LogTo(state, "/tmp/morvane-bench-log.txt");
}

BENCHMARK(BM_LogToDevNull)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(BM_LogToFile)->Threads(1)->Threads(2)->UseRealTime();
} // namespace
