// The resource load thread: its CPU use while idle, and the main thread's cost of a batch of 100 small
// resources finished after the load thread parsed them, against loading the same batch at once.
#include "Parsing/IParserData.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "RedirectedOutput.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/Format.h"

#include <array>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <thread>

namespace
{
using namespace Morvane;
using Benchmarks::RedirectedOutput;
using Clock = std::chrono::steady_clock;

constexpr int kBatch = 100;

// A small resource: Parse reads its 4 KiB file and sums the bytes, Initialize only marks it ready.
class SmallResource final : public Resources::Resource
{
public:
    SmallResource(const std::string& name, std::atomic<int>& parsed) : Resource(name), m_parsed(parsed) {}

    bool Parse(const IParserData* definition) override
    {
        std::ifstream file(definition->GetAttribute("file", ""), std::ios::binary);
        std::array<char, 4096> bytes{};
        file.read(bytes.data(), bytes.size());
        const auto read = static_cast<std::size_t>(file.gcount());
        m_sum = std::accumulate(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(read), 0u);
        ++m_parsed;
        return read > 0;
    }
    bool Initialize() override
    {
        SetInitialized(true);
        return true;
    }
    void Release() override {}

private:
    std::atomic<int>& m_parsed;
    unsigned m_sum = 0;
};

// The resource system with kBatch definitions of small resources over one shared file.
class BatchSetup
{
public:
    explicit BatchSetup(bool multiThreaded)
    {
        std::string folder = (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
        if (mkdtemp(folder.data()) == nullptr)
        {
            std::abort();
        }
        m_folder = folder;
        const std::string file = folder + "/small.bin";
        std::ofstream(file, std::ios::binary) << std::string(4096, 'x');

        m_definitions = "<ResourceSystem>";
        for (int index = 0; index < kBatch; ++index)
        {
            m_definitions += Format("<Small name='small%d' file='%s' multiThreaded='%s'/>", index,
                                    file.c_str(), multiThreaded ? "true" : "false");
        }
        m_definitions += "</ResourceSystem>";
        m_system.AddDelegate("Small", [this](const std::string& name)
                             { return std::make_unique<SmallResource>(name, m_parsed); });
    }
    ~BatchSetup()
    {
        m_system.Release();
        std::filesystem::remove_all(m_folder);
    }
    BatchSetup(const BatchSetup&) = delete;
    BatchSetup& operator=(const BatchSetup&) = delete;

    // Releases everything and reads the definitions again.
    void Reset()
    {
        m_system.Release();
        m_parsed = 0;
        XMLParserData root;
        root.FromString(m_definitions);
        m_system.Parse(&root);
    }

    void RequestAll()
    {
        for (int index = 0; index < kBatch; ++index)
        {
            benchmark::DoNotOptimize(m_system.GetResource<SmallResource>(Format("small%d", index)));
        }
    }

    void WaitUntilAllParsed() const
    {
        while (m_parsed < kBatch || m_system.GetLoadingCount() != 0)
        {
            std::this_thread::yield();
        }
    }

    Resources::System& GetSystem() { return m_system; }

private:
    Resources::System& m_system = Resources::System::GetInstance();
    std::atomic<int> m_parsed = 0;
    std::string m_folder;
    std::string m_definitions;
};

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The main thread sleeps, so the process's CPU time over the second is the idle load thread's.
void BM_LoadThreadIdleCpu(benchmark::State& state)
{
    const RedirectedOutput silence("/dev/null");
    BatchSetup setup(true);
    setup.Reset();
    setup.GetSystem().Initialize();
    setup.RequestAll();
    setup.WaitUntilAllParsed();
    for (auto _ : state)
    {
        const double before = ProcessCpuSeconds();
        const Clock::time_point start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double wall = SecondsSince(start);
        state.counters["idle_cpu_percent"] = (ProcessCpuSeconds() - before) / wall * 100.0;
        state.SetIterationTime(wall);
    }
}
BENCHMARK(BM_LoadThreadIdleCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Main-thread time of the Update that initialises a batch the load thread has parsed.
void BM_FinishParsedBatch(benchmark::State& state)
{
    const RedirectedOutput silence("/dev/null");
    BatchSetup setup(true);
    for (auto _ : state)
    {
        setup.Reset();
        setup.GetSystem().Initialize();
        setup.RequestAll();
        setup.WaitUntilAllParsed();
        const Clock::time_point start = Clock::now();
        setup.GetSystem().Update(0.016f);
        state.SetIterationTime(SecondsSince(start));
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_FinishParsedBatch)->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Main-thread time of requesting the whole batch.
void TimeRequestAll(benchmark::State& state, bool loadThread)
{
    const RedirectedOutput silence("/dev/null");
    BatchSetup setup(loadThread);
    for (auto _ : state)
    {
        setup.Reset();
        const Clock::time_point start = Clock::now();
        setup.RequestAll();
        state.SetIterationTime(SecondsSince(start));
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

// Creation and queueing only.
void BM_RequestBatchForTheLoadThread(benchmark::State& state)
{
    TimeRequestAll(state, true);
}
BENCHMARK(BM_RequestBatchForTheLoadThread)->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Creation, parsing and initialisation at once.
void BM_LoadBatchSynchronously(benchmark::State& state)
{
    TimeRequestAll(state, false);
}
BENCHMARK(BM_LoadBatchSynchronously)->Iterations(300)->UseManualTime()->Unit(benchmark::kMicrosecond);
} // namespace
