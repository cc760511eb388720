// A copy of the event's database against the commits of a database reset, in one run.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchEvent.h"
#include "bench/BenchReport.h"
#include "bench/RawCommit.h"
#include "competition/Backups.h"

namespace {

using namespace zlt;

// A new event's 30 + 12 rows, open as the program holds them.
struct Event : bench::EventDatabase {
    competition::Backups backups{connection, folder.path()};
};

// Emptied before main returns: the client library must still be there to detach.
std::unique_ptr<Event>& event() {
    static std::unique_ptr<Event> made = std::make_unique<Event>();
    return made;
}

void Backup(benchmark::State& state) {
    Event& e = *event();
    for (auto _ : state) {
        if (!e.backups.takeCopy()) {
            state.SkipWithError(e.backups.problem().toStdString().c_str());
            break;
        }
    }
}
BENCHMARK(Backup)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void Raw44Commits(benchmark::State& state) {
    bench::measureRaw44Commits(state, event()->connection);
}
BENCHMARK(Raw44Commits)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    const int result =
        zlt::bench::runAndReport(argc, argv,
                                 {{"backup of the 30 + 12 row database / 44 raw commits",
                                   "Backup/min_time:2.000", "Raw44Commits/min_time:2.000", 10.0}});
    event().reset();
    return result;
}
