// Computing and writing the ranks of a round against the floor of one raw commit, in one
// run: the event's 30 teams, and 10,000 to show how it grows.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "bench/BenchEvent.h"
#include "bench/BenchReport.h"
#include "bench/EventCache.h"
#include "bench/RawCommit.h"
#include "competition/Ranking.h"

namespace {

using namespace zlt;

// The core in an event folder of its own, its rows named and totalled with many ties.
struct Event : bench::EventCore {
    explicit Event(int rows) {
        bench::addTeams(core->connection(), rows);
        core->preliminary().refresh();
    }
};

Event& event(int rows) {
    return bench::cache<Event>().get(rows);
}

void RawUpdateCommit(benchmark::State& state) {
    bench::measureRawUpdateCommits(state, event(30).core->connection());
}
BENCHMARK(RawUpdateCommit)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void RankAndWrite(benchmark::State& state) {
    Event& e = event(static_cast<int>(state.range(0)));
    db::ResultSet& rows = e.core->preliminary();
    for (auto _ : state) {
        state.PauseTiming();
        e.clearRanks();
        state.ResumeTiming();
        e.core->writeRanks(rows, competition::proposeRanks(rows, true));
    }
}
BENCHMARK(RankAndWrite)->Arg(30)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The journal syncs on a timer.
    QCoreApplication application(argc, argv);
    const int result = zlt::bench::runAndReport(
        argc, argv,
        {{"ranks of 30 teams computed and written / raw UPDATE + commit", "RankAndWrite/30",
          "RawUpdateCommit/min_time:1.000", 5.0},
         {"ranks of 10,000 teams computed and written / raw UPDATE + commit", "RankAndWrite/10000",
          "RawUpdateCommit/min_time:1.000", 1000.0}});
    bench::cache<Event>().clear();
    return result;
}
