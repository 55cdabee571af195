// The cost of one frame of the system manager with nine systems that do nothing.
#include "SystemManager/SystemManager.h"

#include "SystemManager/ISystem.h"

#include <benchmark/benchmark.h>

namespace
{
using namespace Morvane;

class IdleSystem : public ISystem
{
public:
    bool Initialize() override { return true; }
    void Update(const float&) override {}
    void Release() override {}
    bool Parse(IParserData*) override { return true; }
};

// Ends the loop after a fixed number of frames.
class FrameCounter : public ISystem
{
public:
    bool Initialize() override { return true; }
    void Update(const float&) override
    {
        if (--remaining <= 0)
        {
            SystemManager::GetInstance().quit = true;
        }
    }
    void Release() override {}
    bool Parse(IParserData*) override { return true; }

    long remaining = 0;
};

void BM_EmptyFrame(benchmark::State& state)
{
    constexpr long kFramesPerRun = 10000;
    SystemManager& manager = SystemManager::GetInstance();
    IdleSystem idle[8];
    FrameCounter counter;
    manager.updateOrder.clear();
    for (IdleSystem& system : idle)
    {
        manager.updateOrder.push_back(&system);
    }
    manager.updateOrder.push_back(&counter);
    for (auto _ : state)
    {
        counter.remaining = kFramesPerRun;
        manager.Run();
    }
    state.SetItemsProcessed(state.iterations() * kFramesPerRun);
    state.SetLabel("items = frames of nine systems");
    manager.updateOrder.clear();
}

BENCHMARK(BM_EmptyFrame);
} // namespace
