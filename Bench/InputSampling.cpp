// What the input system costs per frame: moving the 255 key states on from the event-fed key table,
// and taking a burst of pumped key and mouse events.
#include "Input/KeyStates.h"
#include "Input/KeyTable.h"

#include <SDL_events.h>
#include <benchmark/benchmark.h>

namespace
{
using namespace Morvane::Input;

void SampleKeyStates(benchmark::State& state)
{
    KeyTable table;
    KeyStates states;
    SDL_Event press{};
    press.type = SDL_KEYDOWN;
    press.key.keysym.scancode = SDL_SCANCODE_W;
    table.HandleEvent(press);
    for (auto _ : state)
    {
        states.Sample([&table](unsigned code) { return table.IsDown(code); });
        benchmark::DoNotOptimize(states.Get(0x57));
    }
}
BENCHMARK(SampleKeyStates);

void HandleEventBurst(benchmark::State& state)
{
    KeyTable table;
    SDL_Event events[64]{};
    for (int index = 0; index < 64; ++index)
    {
        events[index].type = index % 2 == 0 ? SDL_KEYDOWN : SDL_MOUSEMOTION;
        events[index].key.keysym.scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + index % 26);
    }
    for (auto _ : state)
    {
        for (const SDL_Event& event : events)
        {
            table.HandleEvent(event);
        }
        benchmark::DoNotOptimize(table.IsDown(0x41));
    }
    state.SetItemsProcessed(state.iterations() * 64);
}
BENCHMARK(HandleEventBurst);
} // namespace
