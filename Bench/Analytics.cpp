#include "Analytics/AnalyticsSystem.h"
#include "Analytics/Endpoint.h"
#include "Analytics/Request.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace
{
using namespace Morvane;
using namespace Morvane::GameAnalytics;

AnalyticsEvent DeathEvent()
{
    AnalyticsEvent event = AnalyticsEvent::Design("Brimora:Player:Die");
    event.userId = "02:FC:00:00:00:01";
    event.sessionId = "2026-12-06 09:11:49";
    event.build = "BETA";
    event.fields["area"] = "$(CurrentLevel)Levels/Level_2.xml";
    event.fields["x"] = "12.50";
    event.fields["y"] = "-3.00";
    event.fields["z"] = "7.25";
    return event;
}

// Building and signing one request (on the worker thread, not the game's).
void BuildRequest(benchmark::State& state)
{
    const AnalyticsEvent event = DeathEvent();
    Endpoint endpoint;
    endpoint.host = "127.0.0.1";
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(Request::Build(event, endpoint));
    }
}
BENCHMARK(BuildRequest);

// What a game thread pays per event: a copy and an append under the client's mutex.
void SubmitEvent(benchmark::State& state)
{
    const AnalyticsEvent event = DeathEvent();
    auto client = std::make_unique<System>();
    client->Initialize(Endpoint{});
    std::size_t submitted = 0;
    for (auto _ : state)
    {
        if (++submitted == System::kMaxQueuedEvents)
        {
            state.PauseTiming();
            client = std::make_unique<System>();
            client->Initialize(Endpoint{});
            submitted = 1;
            state.ResumeTiming();
        }
        client->SubmitEvent(event);
    }
}
BENCHMARK(SubmitEvent);
} // namespace
