// Start-up and the Enter recomputation, measured on the real windows (offscreen).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include "app/Hlavni.h"
#include "app/Startup.h"
#include "bench/BenchReport.h"
#include "bench/RawCommit.h"
#include "platform/Dialogs.h"
#include "tests/support/MainWindowFixture.h"

namespace {

using namespace zlt;

// From nothing to the main window on the screen with its 30 rows. The first run in the
// process also loads the database engine, as a real start of the program does.
void StartUp(benchmark::State& state) {
    for (auto _ : state) {
        app::createWindows();
        frmHlavni->show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(frmHlavni->IBOQuery1.recordCount());
        state.PauseTiming();
        app::destroyWindows();
        state.ResumeTiming();
    }
}
BENCHMARK(StartUp)->Name("ColdStartUp")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(StartUp)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The floor of an Enter: two raw commits (the row, then its total).
void TwoRawCommits(benchmark::State& state) {
    app::createWindows();
    int value = 0;
    for (auto _ : state) {
        bench::rawUpdateCommit(frmHlavni->IB_Connection1, ++value);
        bench::rawUpdateCommit(frmHlavni->IB_Connection1, ++value);
    }
    app::destroyWindows();
}
BENCHMARK(TwoRawCommits)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Enter on a row with a typed change: the refresh writes it, then the total is written.
void EnterRecomputation(benchmark::State& state) {
    app::createWindows();
    frmHlavni->show();
    platform::DBGrid& grid = *frmHlavni->DBGrid1;
    grid.setCurrentIndex(grid.model()->index(4, 4));
    int value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        frmHlavni->IBOQuery1.edit();
        frmHlavni->IBOQuery1.setField("BOD1", ++value % 30);
        state.ResumeTiming();
        QTest::keyClick(&grid, Qt::Key_Return);
        state.PauseTiming();
        QTest::keyClick(grid.viewport(), Qt::Key_Escape);  // close the editor Enter opened
        state.ResumeTiming();
    }
    app::destroyWindows();
}
BENCHMARK(EnterRecomputation)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    zlt::test::ensureApplication();
    zlt::test::TempEventFolder folder;
    std::filesystem::current_path(folder.path());
    // Any message box would stop the run; none is expected.
    zlt::platform::Dialogs::setResponder(
        [](const zlt::platform::DialogRequest&) { return zlt::platform::DialogButton::Ok; });
    return zlt::bench::runAndReport(
        argc, argv,
        {{"first start-up, engine loaded on the way", "ColdStartUp/iterations:1", "", 300.0},
         {"start-up until the main window is shown", "StartUp/min_time:2.000", "", 300.0},
         {"Enter recomputation / two raw commits", "EnterRecomputation/min_time:1.000",
          "TwoRawCommits/min_time:1.000", 3.0}});
}
