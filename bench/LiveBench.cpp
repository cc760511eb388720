// Another table's commit as the program follows it with the grids, the projector and the
// served pages: the tables read for each commit, and the time from the commit to the pages
// made anew, with the one read they share against each of them reading on its own, in one
// run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench/BenchEvent.h"
#include "bench/BenchReport.h"
#include "bench/EventCache.h"
#include "bench/RawCommit.h"
#include "competition/Standings.h"
#include "database/RowReader.h"
#include "tests/support/GuiApplication.h"
#include "web/ServedPages.h"

namespace {

using namespace zlt;

// Both rounds open in the grids, the pages made once.
struct Event : bench::EventCore {
    std::unique_ptr<web::ServedPages> pages;

    explicit Event(int teams) {
        bench::addTeams(core->connection(), teams);
        core->preliminary().refresh();
        core->openFinals();
        pages = std::make_unique<web::ServedPages>(*core);
        pages->refresh();
    }
};

// What follows the notice of the commit now: the core's re-read, which the projector's
// standings and the pages take their committed rows from.
void followSharing(Event& e) {
    e.core->rereadRows();
    benchmark::DoNotOptimize(
        competition::readStandings(e.core->committed(), competition::StandingsRound::Preliminary));
    e.pages->refresh();
}

// The same with each follower reading the rows on its own: the grids, the projector's
// standings of the preliminary round, the pages both rounds.
void followEachReading(Event& e) {
    for (db::ResultSet* rows : e.core->resultSets()) {
        rows->reread();
    }
    db::ResultSet projector("Poradi", e.core->connection(), db::preliminaryFields(),
                            "SELECT * FROM DATAZLT");
    projector.open();
    benchmark::DoNotOptimize(
        competition::standingsOf(projector, competition::StandingsRound::Preliminary));
    e.core->committed().changed();
    e.pages->refresh();
}

// Each commit changes a placing the pages show, so that they are made anew every time. The
// commit's own time, a disk wait alike in both, is also left out in a figure of its own.
int committedValue = 0;

template <void (*follow)(Event&)>
void CommitToPages(benchmark::State& state) {
    Event& e = bench::cache<Event>().get(static_cast<int>(state.range(0)));
    const long long readsBefore = db::RowReader::wholeReads();
    std::chrono::steady_clock::duration following{};
    for (auto _ : state) {
        bench::rawUpdateCommit(e.core->connection(), ++committedValue);
        const auto committed = std::chrono::steady_clock::now();
        follow(e);
        following += std::chrono::steady_clock::now() - committed;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["reads"] =
        static_cast<double>(db::RowReader::wholeReads() - readsBefore) / iterations;
    state.counters["follow_ms"] =
        std::chrono::duration<double, std::milli>(following).count() / iterations;
}
BENCHMARK_TEMPLATE(CommitToPages, followEachReading)
    ->Name("CommitToPagesEachReading")
    ->Arg(42)
    ->Arg(500)
    ->MinTime(2.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(CommitToPages, followSharing)
    ->Name("CommitToPagesSharing")
    ->Arg(42)
    ->Arg(500)
    ->MinTime(2.0)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    test::ensureGuiApplication();
    const int result =
        bench::runAndReport(argc, argv,
                            {{"tables read per commit, shared / each its own",
                              "CommitToPagesSharing/42/min_time:2.000.reads",
                              "CommitToPagesEachReading/42/min_time:2.000.reads", 0.5},
                             {"commit to pages, 42 teams, shared / each its own",
                              "CommitToPagesSharing/42/min_time:2.000",
                              "CommitToPagesEachReading/42/min_time:2.000", 1.0},
                             {"commit to pages, 500 teams, shared / each its own",
                              "CommitToPagesSharing/500/min_time:2.000",
                              "CommitToPagesEachReading/500/min_time:2.000", 1.0},
                             {"notice to pages, 42 teams, shared / each its own",
                              "CommitToPagesSharing/42/min_time:2.000.follow_ms",
                              "CommitToPagesEachReading/42/min_time:2.000.follow_ms", 1.0},
                             {"notice to pages, 500 teams, shared / each its own",
                              "CommitToPagesSharing/500/min_time:2.000.follow_ms",
                              "CommitToPagesEachReading/500/min_time:2.000.follow_ms", 1.0}});
    bench::cache<Event>().clear();
    return result;
}
