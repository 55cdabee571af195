#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Morvane::Benchmarks
{
// One line of the table printed after the runs: how the subject's CPU time per iteration compares
// with the baseline's, measured in the same run.
struct Ratio
{
    std::string label;
    std::string baseline;
    std::string subject;
    // True: print baseline ÷ subject ("times faster"); false: subject ÷ baseline ("times the time").
    bool speedUp = true;
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
                m_times[run.benchmark_name()] = run.GetAdjustedCPUTime();
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
            if (baseline == m_times.end() || subject == m_times.end() || subject->second <= 0.0 ||
                baseline->second <= 0.0)
            {
                continue;
            }
            const double value =
                ratio.speedUp ? baseline->second / subject->second : subject->second / baseline->second;
            std::printf("%-60s %6.2fx %s\n", ratio.label.c_str(), value,
                        ratio.speedUp ? "faster" : "the time");
        }
        std::fflush(stdout);
    }

private:
    std::vector<Ratio> m_ratios;
    std::map<std::string, double> m_times;
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
