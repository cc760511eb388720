// Generation of one report definition over tables of growing size, in one run.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "bench/BenchReport.h"
#include "bench/EventCache.h"
#include "database/Statement.h"
#include "finals/Finale.h"
#include "reports/CelkovyTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/ZLTTisk.h"
#include "reports/model/Generator.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/SampleReport.h"

namespace {

using namespace zlt;

// A sample report holding the given number of rows.
struct Sample : test::SampleReport {
    explicit Sample(int rows) { holdRows(rows); }
};

bench::ByTableSize<Sample>& samples() {
    static bench::ByTableSize<Sample> made;
    return made;
}

void Generate(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Sample& sample = samples().get(rows);
    for (auto _ : state) {
        benchmark::DoNotOptimize(reports::generate(sample.report));
    }
    state.counters["pages"] = static_cast<double>(reports::generate(sample.report).size());
}
BENCHMARK(Generate)->Arg(30)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The program's own windows in an event folder with full tables, for the five sheets.
struct Program {
    test::TempEventFolder folder;
    std::filesystem::path previous = std::filesystem::current_path();
    Program() {
        std::filesystem::current_path(folder.path());
        app::createWindows();
        db::Statement("fill", frmHlavni->IB_Connection1,
                      "UPDATE DATAZLT SET DRUZSTVO = 'Družstvo ' || CISLO, DISCIPLINA1 = '12,5 s', "
                      "BOD1 = CISLO, BOD2 = CISLO, BOD3 = CISLO, BOD4 = CISLO, BOD5 = CISLO, "
                      "BOD6 = CISLO, CELKEM = 6 * CISLO, PORADI = CISLO")
            .execute();
        frmHlavni->IBOQuery1.refresh();
    }
    ~Program() {
        app::destroyWindows();
        std::filesystem::current_path(previous);
    }
};

// Made on first use, ended before main returns while the client library is still there.
std::unique_ptr<Program>& programSlot() {
    static std::unique_ptr<Program> made;
    return made;
}

Program& program() {
    if (!programSlot())
        programSlot() = std::make_unique<Program>();
    return *programSlot();
}

// From the driver's settings to the finished pages, as a print command does before the
// preview shows them.
void Sheet(benchmark::State& state) {
    program();
    const auto sheet = static_cast<int>(state.range(0));
    competition::Competition& competition = *app::currentCompetition();
    reports::SheetOptions options;
    options.confirmed = true;
    options.edition = QStringLiteral("50");
    options.place = QStringLiteral("Lhota");
    const auto discipline = [&](int number, const QString& name) {
        reports::SheetOptions chosen = options;
        chosen.discipline = number;
        chosen.disciplineName = name;
        return chosen;
    };
    const std::function<reports::ReportDefinition()> makers[] = {
        [&] {
            return reports::disciplineSheet(competition.preliminary(),
                                            discipline(3, QStringLiteral("Běh")));
        },
        [&] { return reports::standingsSheet(competition.preliminary(), options); },
        [&] {
            return reports::finalDisciplineSheet(competition.finals(),
                                                 discipline(2, QStringLiteral("Štafeta")));
        },
        [&] { return reports::finalsStandingsSheet(competition.finals(), options); },
        [&] { return reports::overallSheet(competition.preliminary(), options); }};
    for (auto _ : state) {
        benchmark::DoNotOptimize(reports::generate(makers[sheet]()));
    }
}
BENCHMARK(Sheet)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    test::ensureApplication();
    const int result = bench::runAndReport(
        argc, argv,
        {{"generation over 30 rows", "Generate/30", "", 5.0},
         {"generation over 10,000 rows / over 1,000 rows", "Generate/10000", "Generate/1000", 12.0},
         {"discipline results sheet, 30 rows", "Sheet/0", "", 20.0},
         {"preliminary standings sheet, 30 rows", "Sheet/1", "", 20.0},
         {"final-discipline sheet, 12 rows", "Sheet/2", "", 20.0},
         {"finals standings sheet, 12 rows", "Sheet/3", "", 20.0},
         {"overall standings sheet, 30 rows", "Sheet/4", "", 20.0}});
    samples().clear();
    programSlot().reset();
    return result;
}
