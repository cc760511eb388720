// Diplomas to PDF, from the choice of teams to the PDF bytes, against the five sheets
// to PDF in the same run, and over growing numbers of teams.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchReport.h"
#include "bench/EventProgram.h"
#include "competition/Diplomas.h"
#include "finals/Finale.h"
#include "reports/CelkovyTisk.h"
#include "reports/DiplomTisk.h"
#include "reports/FinaleTisk.h"
#include "reports/TiskDisc.h"
#include "reports/TiskFDisc.h"
#include "reports/ZLTTisk.h"
#include "reports/model/Generator.h"
#include "reports/model/PageTarget.h"
#include "tests/support/Application.h"

namespace {

using namespace zlt;

// The program's own windows over an event of 200 ranked teams, the best 12 in the finals,
// with the season's stamp confirmed as the diplomas and the sheets print it.
struct Program : bench::EventProgram {
    Program() {
        run("EXECUTE BLOCK AS DECLARE i INTEGER = 30; BEGIN WHILE (i < 200) DO BEGIN i = i + 1; "
            "INSERT INTO DATAZLT (CISLO) VALUES (:i); END END");
        run("UPDATE DATAZLT SET DRUZSTVO = 'Družstvo ' || CISLO, BOD1 = CISLO, BOD2 = CISLO, "
            "BOD3 = CISLO, BOD4 = CISLO, BOD5 = CISLO, BOD6 = CISLO, CELKEM = 6 * CISLO, "
            "PORADI = CISLO");
        run("DELETE FROM DATAZLTF");
        run("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < 12) DO BEGIN i = i + 1; "
            "INSERT INTO DATAZLTF (DRUZSTVO, FBOD1, FBOD2, FBOD3, FCELKEM, FPORADI) VALUES "
            "('Družstvo ' || :i, :i, :i, :i, 3 * :i, :i); END END");
        frmHlavni->IBOQuery1.refresh();
        frmFinale->IBOQueryF.refresh();
        diplomas = std::make_unique<TfrmDiplomTisk>();
        QImage stamp(233, 129, QImage::Format_RGB888);
        stamp.fill(QColor(200, 30, 30));
        for (reports::ReportHolder* sheet : {static_cast<reports::ReportHolder*>(frmTiskDisc),
                                             static_cast<reports::ReportHolder*>(frmZLTTisk),
                                             static_cast<reports::ReportHolder*>(frmTiskFDisc),
                                             static_cast<reports::ReportHolder*>(frmZLTFinaleTisk),
                                             static_cast<reports::ReportHolder*>(frmCelkovyTisk)}) {
            sheet->setStamp(stamp);
        }
        diplomaOptions.stamp = stamp;
        diplomaOptions.signatures = reports::signatureCaptions({});
    }
    // Made over the windows' core, so ended before them.
    ~Program() { diplomas.reset(); }

    std::unique_ptr<TfrmDiplomTisk> diplomas;
    reports::DiplomaOptions diplomaOptions;
};

Program& program() {
    return bench::program<Program>();
}

// One of each sheet, prepared as the print commands prepare them, all in one PDF.
void FiveSheetsPdf(benchmark::State& state) {
    program();
    const competition::EventDetails& details = app::currentCompetition()->details();
    for (auto _ : state) {
        std::vector<reports::Page> pages;
        const auto add = [&](reports::ReportHolder& sheet) {
            const auto generated = reports::generate(sheet.QuickRep1);
            pages.insert(pages.end(), generated.begin(), generated.end());
        };
        frmTiskDisc->prepare(details, 1);
        add(*frmTiskDisc);
        frmZLTTisk->prepare(details);
        add(*frmZLTTisk);
        frmTiskFDisc->prepare(details, 1);
        add(*frmTiskFDisc);
        frmZLTFinaleTisk->prepare(details);
        add(*frmZLTFinaleTisk);
        frmCelkovyTisk->prepare(details);
        add(*frmCelkovyTisk);
        benchmark::DoNotOptimize(reports::pdfOf(pages));
    }
}
BENCHMARK(FiveSheetsPdf)->Unit(benchmark::kMillisecond);

// The first N places of the overall standings, one diploma each.
void DiplomasPdf(benchmark::State& state) {
    Program& event = program();
    competition::Competition& competition = *app::currentCompetition();
    const competition::DiplomaChoice choice{competition::DiplomaRound::Overall,
                                            static_cast<int>(state.range(0)), false};
    for (auto _ : state) {
        const auto teams = competition::chooseDiplomaTeams(competition.preliminary(), choice);
        event.diplomas->prepare(teams, event.diplomaOptions);
        benchmark::DoNotOptimize(reports::pdfOf(reports::generate(event.diplomas->QuickRep1)));
    }
    state.counters["pages"] = static_cast<double>(state.range(0));
}
BENCHMARK(DiplomasPdf)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    test::ensureApplication();
    const int result = bench::runAndReport(
        argc, argv,
        {{"200 diplomas to PDF", "DiplomasPdf/200", "", 1000.0},
         {"200 diplomas / five sheets, to PDF", "DiplomasPdf/200", "FiveSheetsPdf", 1.0},
         {"200 diplomas / 100 diplomas (linear: 2)", "DiplomasPdf/200", "DiplomasPdf/100", 2.2},
         {"100 diplomas / 50 diplomas (linear: 2)", "DiplomasPdf/100", "DiplomasPdf/50", 2.2}});
    bench::programSlot<Program>().reset();
    return result;
}
