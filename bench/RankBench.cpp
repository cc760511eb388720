// Computing and writing the ranks of a round against the floor of one raw commit, in one
// run: the event's 30 teams, and 10,000 to show how it grows.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "bench/BenchReport.h"
#include "bench/EventCache.h"
#include "bench/RawCommit.h"
#include "competition/Competition.h"
#include "competition/Ranking.h"
#include "database/Statement.h"
#include "tests/support/TempEventFolder.h"

namespace {

using namespace zlt;

// The core in an event folder of its own, its rows named and totalled with many ties.
struct Event {
    test::TempEventFolder folder;
    std::unique_ptr<competition::Competition> core;

    // The core takes the working directory as its event folder when it is made and opened.
    explicit Event(int rows) {
        const test::WorkingDirectory inFolder(folder.path());
        core = std::make_unique<competition::Competition>();
        core->openPreliminary();
        db::Statement("fill", core->connection(),
                      "EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < " +
                          std::to_string(rows) +
                          ") DO BEGIN i = i + 1; UPDATE OR INSERT INTO DATAZLT (CISLO, "
                          "DRUZSTVO, BOD1, BOD2, CELKEM) VALUES (:i, 'Družstvo ' || :i, "
                          "MOD(:i, 5) + 1, MOD(:i, 7) + 1, MOD(:i * 7919, 97)) MATCHING "
                          "(CISLO); END END")
            .execute();
        core->preliminary().refresh();
    }
};

bench::ByTableSize<Event>& events() {
    static bench::ByTableSize<Event> made;
    return made;
}

Event& event(int rows) {
    return events().get(rows);
}

void RawUpdateCommit(benchmark::State& state) {
    Event& e = event(30);
    int value = 0;
    for (auto _ : state) {
        bench::rawUpdateCommit(e.core->connection(), ++value);
    }
}
BENCHMARK(RawUpdateCommit)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Every round starts from no ranks, so that each writes all of them.
void RankAndWrite(benchmark::State& state) {
    Event& e = event(static_cast<int>(state.range(0)));
    db::ResultSet& rows = e.core->preliminary();
    db::Statement clear("clear", e.core->connection(), "UPDATE DATAZLT SET PORADI = NULL");
    for (auto _ : state) {
        state.PauseTiming();
        clear.execute();
        rows.refresh();
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
    events().clear();
    return result;
}
