// main.cpp - runs the benchmarks and closes with one line per library/baseline pair:
// the median time of each over the repetitions, their ratio, and its target. The ratio
// is taken of CPU times (user and system): on a shared machine they do not count the
// time the process waits for a core, which wall times do; the wall ratio is shown too.
// A paired benchmark measures both sides itself, and its ratio is the median of the
// ratios of its repetitions.
#include "Fixtures.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that logs stay plain text.
    RatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                const double iterations = static_cast<double>(run.iterations);
                _cpu.runs[name].push_back(run.cpu_accumulated_time / iterations);
                _wall.runs[name].push_back(run.real_accumulated_time / iterations);
                for (const auto& [counter, value] : run.counters)
                    _counters.runs[name + "/" + counter].push_back(value.value);
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                // With --benchmark_report_aggregates_only only the aggregates come here.
                const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
                _cpu.medians[name] = run.GetAdjustedCPUTime() / unit;
                _wall.medians[name] = run.GetAdjustedRealTime() / unit;
                for (const auto& [counter, value] : run.counters)
                    _counters.medians[name + "/" + counter] = value.value;
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatios, library / baseline, CPU time (medians over the repetitions; of a paired\n"
                    "benchmark, the median of its repetitions' ratios):\n");
        for (const qzbench::Pair& pair : qzbench::pairs()) {
            const bool paired = std::string(pair.library) == pair.baseline;
            // A paired benchmark's time is the library's CPU time, taken by hand.
            const double library = paired ? _wall.median(pair.library) : _cpu.median(pair.library);
            const double baseline =
                paired ? counter(pair.library, qzbench::kPairedBaseline) : _cpu.median(pair.baseline);
            if (library <= 0 || baseline <= 0) {
                std::printf("  %-52s not measured\n", pair.label);
                continue;
            }
            const double ratio = paired ? counter(pair.library, qzbench::kPairedRatio) : library / baseline;
            const double wallRatio = paired ? counter(pair.library, qzbench::kPairedWallRatio)
                                            : _wall.median(pair.library) / _wall.median(pair.baseline);
            std::string verdict = "no target";
            if (pair.target > 0) {
                char text[48];
                std::snprintf(text, sizeof text, "target %.1fx: %s", pair.target,
                              ratio <= pair.target ? "met" : "MISSED");
                verdict = text;
            }
            std::printf("  %-52s %10s / %10s = %5.2fx  (wall %5.2fx; %s)\n", pair.label, timeText(library).c_str(),
                        timeText(baseline).c_str(), ratio, wallRatio, verdict.c_str());
        }
        for (const char* alone : {"path_manager/construction"})
            if (const double time = _cpu.median(alone); time > 0)
                std::printf("  %-52s %10s\n", "QZ_PathManager construction", timeText(time).c_str());
        std::fflush(stdout);
    }

private:
    // Per benchmark (or "benchmark/counter"): the value of each repetition, or the median
    // that the aggregates gave.
    struct Samples {
        std::map<std::string, std::vector<double>> runs;
        std::map<std::string, double> medians;

        double median(const std::string& name) const
        {
            if (const auto given = medians.find(name); given != medians.end())
                return given->second;
            const auto found = runs.find(name);
            if (found == runs.end() || found->second.empty())
                return 0;
            std::vector<double> sorted = found->second;
            std::sort(sorted.begin(), sorted.end());
            const std::size_t middle = sorted.size() / 2;
            return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
        }
    };

    double counter(const std::string& name, const char* counter) const { return _counters.median(name + "/" + counter); }

    static std::string timeText(double seconds)
    {
        char text[32];
        if (seconds >= 1e-3)
            std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
        else if (seconds >= 1e-6)
            std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
        else
            std::snprintf(text, sizeof text, "%.1f ns", seconds * 1e9);
        return text;
    }

    Samples _cpu;
    Samples _wall;
    Samples _counters;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
