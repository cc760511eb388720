#pragma once

#include <map>
#include <string>
#include <vector>

namespace zlt::bench {

// A figure to print after the runs: a measurement against a baseline of the same run
// (a ratio), or against a fixed limit in milliseconds when baseline is empty. A counter of
// a benchmark is named "benchmark.counter".
struct Target {
    std::string label;
    std::string measured;
    std::string baseline;
    double limit;
};

// Runs the registered benchmarks, then prints each target's figure and whether it is met.
// Returns 0; the figures are information, not a pass or fail.
int runAndReport(int argc, char** argv, const std::vector<Target>& targets);

}  // namespace zlt::bench
