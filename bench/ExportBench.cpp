// The export of a full event's results (every page and both CSV files), against the floor
// of the raw client API measured in the same run.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "bench/BenchReport.h"
#include "bench/RawCommit.h"
#include "database/Statement.h"
#include "finals/Finale.h"
#include "reports/CelkovyTisk.h"
#include "reports/Export.h"
#include "reports/FinaleTisk.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/ZLTTisk.h"
#include "tests/support/Application.h"
#include "tests/support/TempEventFolder.h"

namespace {

using namespace zlt;

// The program's own windows over a full event: 42 teams in the preliminary round, the
// best 12 in the finals, every result typed.
struct Program {
    test::TempEventFolder folder;
    test::TempFolder published;
    std::filesystem::path previous = std::filesystem::current_path();

    Program() {
        std::filesystem::current_path(folder.path());
        app::createWindows();
        run("EXECUTE BLOCK AS DECLARE i INTEGER = 30; BEGIN WHILE (i < 42) DO BEGIN i = i + 1; "
            "INSERT INTO DATAZLT (CISLO) VALUES (:i); END END");
        run("UPDATE DATAZLT SET DRUZSTVO = 'Družstvo ' || CISLO, PENALIZACE = MOD(CISLO, 3), "
            "DISCIPLINA1 = '12,5 s', DISCIPLINA2 = '3:41', DISCIPLINA3 = '17 m', "
            "DISCIPLINA4 = '8 b', DISCIPLINA5 = '1:02,3', DISCIPLINA6 = '44', BOD1 = CISLO, "
            "BOD2 = CISLO, BOD3 = CISLO, BOD4 = CISLO, BOD5 = CISLO, BOD6 = CISLO, "
            "CELKEM = 6 * CISLO, PORADI = CISLO");
        run("DELETE FROM DATAZLTF");
        run("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < 12) DO BEGIN i = i + 1; "
            "INSERT INTO DATAZLTF (DRUZSTVO, FPOCATEK, FDISCIPLINA1, FBOD1, FDISCIPLINA2, FBOD2, "
            "FDISCIPLINA3, FBOD3, FCELKEM, FPORADI) VALUES ('Družstvo ' || :i, :i, '12,5 s', :i, "
            "'3:41', :i, '17 m', :i, 3 * :i, :i); END END");
        frmHlavni->IBOQuery1.refresh();
        frmFinale->IBOQueryF.refresh();
    }
    ~Program() {
        app::destroyWindows();
        std::filesystem::current_path(previous);
    }
    static void run(const std::string& sql) {
        db::Statement("fill", frmHlavni->IB_Connection1, sql).execute();
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

void ExportFullEvent(benchmark::State& state) {
    Program& event = program();
    reports::SheetBook sheets{*frmTiskDisc, *frmZLTTisk, *frmTiskFDisc, *frmZLTFinaleTisk,
                              *frmCelkovyTisk};
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            reports::exportResults(*app::currentCompetition(), sheets, event.published.path()));
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
    programSlot().reset();
    return result;
}
