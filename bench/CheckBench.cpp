// The event check and the placings written from results, against the work they follow in
// the program: one re-read of both rounds' rows, and the ranks written for as many teams.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>
#include <string>

#include "bench/BenchEvent.h"
#include "bench/BenchReport.h"
#include "bench/EventCache.h"
#include "competition/Competition.h"
#include "competition/EventCheck.h"
#include "competition/Placings.h"
#include "competition/Ranking.h"
#include "database/Statement.h"

namespace {

using namespace zlt;

constexpr int kTeams = 500;

// Team i is i-th in every discipline of both rounds, by results of every kind written in the
// forms organisers use, with totals and ranks to match, and a few typing mistakes, so that
// the check reads every result and finds something.
struct Event : bench::EventCore {
    competition::DisciplineRules rules;

    explicit Event(int teams) {
        const std::string count = std::to_string(teams);
        run("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < " + count +
            ") DO BEGIN i = i + 1; UPDATE OR INSERT INTO DATAZLT (CISLO, DRUZSTVO, "
            "DISCIPLINA1, BOD1, DISCIPLINA2, BOD2, DISCIPLINA3, BOD3, DISCIPLINA4, BOD4, "
            "DISCIPLINA5, BOD5, DISCIPLINA6, BOD6, CELKEM, PORADI) VALUES (:i, 'Družstvo ' || :i, "
            "(:i + 60) || ',5', :i, ((:i + 60) / 60) || ':' || LPAD(MOD(:i + 60, 60), 2, '0') || "
            "',0', :i, (:i + 60) || ' s', :i, (2000 - :i) || ' cm', :i, (90 - :i / 10.0) || ' m', "
            ":i, (1000 - :i) || '', :i, 6 * :i, :i) MATCHING (CISLO); END END");
        run("DELETE FROM DATAZLTF");
        run("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < " + count +
            ") DO BEGIN i = i + 1; INSERT INTO DATAZLTF (DRUZSTVO, FDISCIPLINA1, FBOD1, "
            "FDISCIPLINA2, FBOD2, FDISCIPLINA3, FBOD3, FCELKEM, FPORADI) VALUES ('Finalista ' || "
            ":i, (:i + 60) || ',5', :i, (2000 - :i) || ' cm', :i, (1000 - :i) || '', :i, 3 * :i, "
            ":i); END END");
        run("UPDATE DATAZLT SET BOD2 = BOD2 + 1 WHERE CISLO IN (7, 70, 170)");
        run("UPDATE DATAZLT SET CELKEM = CELKEM + 1 WHERE CISLO = 300");
        run("UPDATE DATAZLT SET DRUZSTVO = 'Družstvo 11' WHERE CISLO = 12");
        run("UPDATE DATAZLTF SET FDISCIPLINA1 = '1:60' WHERE FBOD1 = 40");
        core->preliminary().refresh();
        core->openFinals();
        using competition::ResultKind;
        rules.preliminary = {{{ResultKind::Time},
                              {ResultKind::Time},
                              {ResultKind::Time},
                              {ResultKind::Distance},
                              {ResultKind::Distance},
                              {ResultKind::Points}}};
        rules.finals = {{{ResultKind::Time}, {ResultKind::Distance}, {ResultKind::Points}}};
    }
};

Event& event() {
    return bench::cache<Event>().get(kTeams);
}

void RereadBothRounds(benchmark::State& state) {
    Event& e = event();
    for (auto _ : state) {
        e.core->preliminary().reread();
        e.core->finals().reread();
    }
}
BENCHMARK(RereadBothRounds)->Unit(benchmark::kMillisecond);

// The findings are counted, to show that the planted mistakes are found.
void CheckEvent(benchmark::State& state) {
    Event& e = event();
    std::size_t findings = 0;
    for (auto _ : state) {
        findings = competition::checkEvent(e.core->preliminary(), e.core->finals(), e.rules).size();
        benchmark::DoNotOptimize(findings);
    }
    state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(CheckEvent)->Unit(benchmark::kMillisecond);

// Every round starts from no ranks, or no placings of the discipline and no totals, so that
// each writes every team's rank, or placing and total; the plans are made before the clock
// runs.
void WriteRanks(benchmark::State& state) {
    Event& e = event();
    db::ResultSet& rows = e.core->preliminary();
    for (auto _ : state) {
        state.PauseTiming();
        e.clearRanks();
        const std::vector<competition::RankLine> lines = competition::proposeRanks(rows, false);
        state.ResumeTiming();
        e.core->writeRanks(rows, lines);
    }
}
BENCHMARK(WriteRanks)->Unit(benchmark::kMillisecond);

void WritePlacings(benchmark::State& state) {
    Event& e = event();
    db::ResultSet& rows = e.core->preliminary();
    const competition::Discipline first{false, 1};
    db::Statement clear("clear", e.core->connection(),
                        "UPDATE DATAZLT SET BOD1 = NULL, CELKEM = NULL");
    for (auto _ : state) {
        state.PauseTiming();
        clear.execute();
        rows.refresh();
        const competition::PlacingPlan plan =
            competition::proposePlacings(rows, first, e.rules.of(first));
        state.ResumeTiming();
        e.core->writePlacings(rows, plan);
    }
}
BENCHMARK(WritePlacings)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The journal syncs on a timer.
    QCoreApplication application(argc, argv);
    const int result = zlt::bench::runAndReport(
        argc, argv,
        {{"check of 500 teams a round / re-read of the rows", "CheckEvent", "RereadBothRounds",
          0.2},
         {"placings of 500 teams written / ranks written", "WritePlacings", "WriteRanks", 1.5}});
    bench::cache<Event>().clear();
    return result;
}
