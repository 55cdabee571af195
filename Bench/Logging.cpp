// Log throughput with standard output sent to a file and to /dev/null, from one and two threads.
#include "RedirectedOutput.h"
#include "System/Logging/LoggingSystem.h"

#include <benchmark/benchmark.h>
#include <optional>
#include <string>

namespace
{
using namespace Morvane;
using Benchmarks::RedirectedOutput;

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
