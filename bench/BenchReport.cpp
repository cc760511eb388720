#include "bench/BenchReport.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace zlt::bench {
namespace {

// Keeps the time per iteration, in milliseconds, of every run it reports.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const double seconds = run.real_accumulated_time / run.iterations;
                milliseconds[run.benchmark_name()] = seconds * 1000.0;
                // Counters that a benchmark reports in milliseconds itself (percentiles).
                for (const auto& [name, counter] : run.counters) {
                    milliseconds[run.benchmark_name() + "." + name] = counter.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> milliseconds;
};

}  // namespace

int runAndReport(int argc, char** argv, const std::vector<Target>& targets) {
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-48s %12s %10s  %s\n", "figure", "value", "target", "met");
    for (const Target& target : targets) {
        const auto measured = reporter.milliseconds.find(target.measured);
        const auto baseline = reporter.milliseconds.find(target.baseline);
        if (measured == reporter.milliseconds.end() ||
            (!target.baseline.empty() && baseline == reporter.milliseconds.end())) {
            continue;  // filtered out of this run
        }
        const bool ratio = !target.baseline.empty();
        const double value = ratio ? measured->second / baseline->second : measured->second;
        std::printf("%-48s %10.3f%s %9.2f%s  %s\n", target.label.c_str(), value,
                    ratio ? " x" : "ms", target.limit, ratio ? " x" : "ms",
                    value <= target.limit ? "yes" : "NO");
    }
    return 0;
}

}  // namespace zlt::bench
