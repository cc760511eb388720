// Generation of one report definition over tables of growing size, in one run.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "bench/BenchReport.h"
#include "reports/model/Generator.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/SampleReport.h"

namespace {

using namespace zlt;

// One sample report per table size, made once and shared by the runs.
std::map<int, std::unique_ptr<test::SampleReport>>& samples() {
    static std::map<int, std::unique_ptr<test::SampleReport>> made;
    return made;
}

void Generate(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    auto& sample = samples()[rows];
    if (!sample) {
        sample = std::make_unique<test::SampleReport>();
        sample->holdRows(rows);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(reports::generate(sample->report));
    }
    state.counters["pages"] = static_cast<double>(reports::generate(sample->report).size());
}
BENCHMARK(Generate)->Arg(30)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    test::ensureApplication();
    const int result = bench::runAndReport(argc, argv,
                                           {{"generation over 30 rows", "Generate/30", "", 5.0},
                                            {"generation over 10,000 rows / over 1,000 rows",
                                             "Generate/10000", "Generate/1000", 12.0}});
    samples().clear();
    return result;
}
