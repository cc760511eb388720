// The export of a full event's results (every page and both CSV files), against the floor
// of the raw client API measured in the same run.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "bench/BenchReport.h"
#include "bench/EventProgram.h"
#include "bench/RawCommit.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/ZLTTisk.h"
#include "reports/sheets/Export.h"
#include "tests/support/Application.h"
#include "tests/support/TempEventFolder.h"

namespace {

using namespace zlt;

// The program's own windows over a full event, and a folder to export into.
struct Program : bench::EventProgram {
    Program() { fillFullEvent(); }
    test::TempFolder published;
};

Program& program() {
    return bench::program<Program>();
}

void ExportFullEvent(benchmark::State& state) {
    Program& event = program();
    competition::Competition& competition = *app::currentCompetition();
    for (auto _ : state) {
        benchmark::DoNotOptimize(reports::exportResults(
            competition, reports::currentOptions(competition), event.published.path()));
    }
}
BENCHMARK(ExportFullEvent)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void Raw44Commits(benchmark::State& state) {
    program();
    bench::measureRaw44Commits(state, frmHlavni->IB_Connection1);
}
BENCHMARK(Raw44Commits)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    test::ensureApplication();
    const int result = bench::runAndReport(
        argc, argv,
        {{"export of a full event (42 + 12 rows)", "ExportFullEvent/min_time:1.000", "", 50.0},
         {"export of a full event / 44 raw commits", "ExportFullEvent/min_time:1.000",
          "Raw44Commits/min_time:2.000", 1.0}});
    bench::programSlot<Program>().reset();
    return result;
}
