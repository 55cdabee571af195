#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Morvane::Benchmarks
{
// One line of the table printed after the runs: how the subject's time per iteration compares with the
// baseline's, measured in the same run.
struct Ratio
{
    std::string label;
    std::string baseline;
    std::string subject;
    // True: print baseline ÷ subject ("times faster"); false: subject ÷ baseline ("times the time").
    bool speedUp = true;
    // True: compare wall time, for work done on other threads (OpenGL's rasteriser); false: CPU time.
    bool wallTime = false;
};

// The console output as usual, then the ratios.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    explicit RatioReporter(std::vector<Ratio> ratios) : m_ratios(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
            {
                m_times[run.benchmark_name()] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const Ratio& ratio : m_ratios)
        {
            const auto baseline = m_times.find(ratio.baseline);
            const auto subject = m_times.find(ratio.subject);
            if (baseline == m_times.end() || subject == m_times.end())
            {
                continue;
            }
            const double base = ratio.wallTime ? baseline->second.second : baseline->second.first;
            const double measured = ratio.wallTime ? subject->second.second : subject->second.first;
            if (base <= 0.0 || measured <= 0.0)
            {
                continue;
            }
            const double value = ratio.speedUp ? base / measured : measured / base;
            std::printf("%-60s %6.2fx %s\n", ratio.label.c_str(), value,
                        ratio.speedUp ? "faster" : "the time");
        }
        std::fflush(stdout);
    }

private:
    std::vector<Ratio> m_ratios;
    // CPU and wall time per iteration, by benchmark name.
    std::map<std::string, std::pair<double, double>> m_times;
};

// Runs the benchmarks the command line selects and prints `ratios` after them.
inline int RunWithRatios(int argc, char** argv, std::vector<Ratio> ratios)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
    {
        return 1;
    }
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
} // namespace Morvane::Benchmarks
