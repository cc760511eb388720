// The data-access layer against the floor of the raw client API, in one run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchEvent.h"
#include "bench/BenchReport.h"
#include "bench/EventCache.h"
#include "bench/RawCommit.h"
#include "competition/ChangeJournal.h"
#include "competition/DatabaseReset.h"
#include "database/Connection.h"
#include "database/EventListener.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/FirebirdServer.h"
#include "tests/support/TempEventFolder.h"

namespace {

using namespace zlt;

// One event folder per table size, made once and shared by the runs.
struct Event : bench::EventDatabase {
    db::ResultSet finals{"IBOQueryF", connection, db::finalsFields(), "SELECT * FROM DATAZLTF"};

    explicit Event(int rows) : EventDatabase(rows) { finals.open(); }
};

Event& event(int rows) {
    return bench::cache<Event>().get(rows);
}

void RawUpdateCommit(benchmark::State& state) {
    bench::measureRawUpdateCommits(state, event(30).connection);
}
BENCHMARK(RawUpdateCommit)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Editing one value of the current row and posting it.
void postEdits(benchmark::State& state, db::ResultSet& rows) {
    // The raw commits wrote this row behind the rows' back; a post over what they changed
    // would rightly be refused.
    rows.reread();
    rows.moveTo(4);
    int value = 0;
    for (auto _ : state) {
        rows.edit();
        rows.setField("BOD1", ++value % 30);
        rows.post();
    }
}

void ResultSetPost(benchmark::State& state) {
    postEdits(state, event(30).query);
}
BENCHMARK(ResultSetPost)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The event's database on a server of the bench's own, reached over TCP loopback.
struct ServerEvent {
    test::FirebirdServer server;
    db::Connection connection;
    db::ResultSet query{"IBOQuery1", connection, db::preliminaryFields(), "SELECT *  FROM DATAZLT"};

    ServerEvent() {
        connection.setPath(server.newEventDatabase());
        query.open();
    }
};

std::unique_ptr<ServerEvent>& serverSlot() {
    static std::unique_ptr<ServerEvent> made;
    return made;
}

// The server event, or none (the run skipped with the reason) where no server can start.
ServerEvent* serverEvent(benchmark::State& state) {
    if (const auto reason = test::FirebirdServer::unavailable()) {
        state.SkipWithError(reason->c_str());
        return nullptr;
    }
    auto& slot = serverSlot();
    if (!slot) {
        slot = std::make_unique<ServerEvent>();
    }
    return slot.get();
}

void ServerPost(benchmark::State& state) {
    if (ServerEvent* e = serverEvent(state)) {
        postEdits(state, e->query);
    }
}
BENCHMARK(ServerPost)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// From the start of a commit on one attachment to the listener's handler on another.
void ServerEventLatency(benchmark::State& state) {
    ServerEvent* e = serverEvent(state);
    if (e == nullptr) {
        return;
    }
    db::Connection other("judge 2");
    other.setPath(e->connection.path());
    test::EventRecorder recorder;
    db::EventListener listener(other, recorder.handler());
    db::Statement update("IB_DSQL1", e->connection, "UPDATE DATAZLT SET BOD1 = 1 WHERE CISLO = 5");
    std::vector<double> latencies;
    for (auto _ : state) {
        const int before = recorder.changes();
        const auto committing = test::EventRecorder::Clock::now();
        update.execute();
        if (!recorder.waitForChanges(before + 1, std::chrono::seconds(2))) {
            state.SkipWithError("no event within 2 s");
            return;
        }
        latencies.push_back(
            std::chrono::duration<double, std::milli>(recorder.lastChange() - committing).count());
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["p95_ms"] = latencies[latencies.size() * 95 / 100];
}
BENCHMARK(ServerEventLatency)->Unit(benchmark::kMillisecond)->Iterations(200);

// The same with the change journal recording each post.
void JournalledPost(benchmark::State& state) {
    Event& e = event(30);
    competition::ChangeJournal journal(e.folder.path() / competition::ChangeJournal::kFile);
    journal.watch(e.query);
    postEdits(state, e.query);
}
BENCHMARK(JournalledPost)->Unit(benchmark::kMillisecond)->MinTime(1.0);

competition::JournalEntry benchEntry(int value) {
    return {{}, "úprava", "DATAZLT", "5", "BOD1", std::to_string(value - 1), std::to_string(value)};
}

// One journal line on a journal already open: its write, and its share of the sync at most
// once a second. No sync is made per line.
void JournalLine(benchmark::State& state) {
    test::TempFolder folder;
    competition::ChangeJournal journal(folder.path() / competition::ChangeJournal::kFile);
    int value = 0;
    for (auto _ : state) {
        journal.record(benchEntry(++value));
    }
}
BENCHMARK(JournalLine)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The first line of a journal made anew: the only path that syncs the folder (the new
// name), once per opening; the file is opened, synced and closed each time.
void JournalFirstLine(benchmark::State& state) {
    test::TempFolder folder;
    const auto file = folder.path() / competition::ChangeJournal::kFile;
    int value = 0;
    for (auto _ : state) {
        std::filesystem::remove(file);
        competition::ChangeJournal journal(file);
        journal.record(benchEntry(++value));
    }
}
BENCHMARK(JournalFirstLine)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void Refresh(benchmark::State& state) {
    Event& e = event(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        e.query.refresh();
    }
    state.counters["rows"] = e.query.recordCount();
}
BENCHMARK(Refresh)->Arg(30)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The database reset: two deletes and 42 rows, each committed on its own.
void DatabaseReset(benchmark::State& state) {
    Event& e = event(30);
    db::Statement deletePreliminary("IB_DSQL1", e.connection, "DELETE FROM DATAZLT");
    db::Statement deleteFinals("IB_DSQLF", e.connection, "DELETE FROM DATAZLTF");
    for (auto _ : state) {
        competition::resetDatabase({deletePreliminary, e.query}, {deleteFinals, e.finals});
    }
}
BENCHMARK(DatabaseReset)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Its floor: as many commits as the reset makes, straight through the client API.
void Raw44Commits(benchmark::State& state) {
    bench::measureRaw44Commits(state, event(30).connection);
}
BENCHMARK(Raw44Commits)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    // The journal syncs from the event loop's timers.
    QCoreApplication application(argc, argv);
    const int result = zlt::bench::runAndReport(
        argc, argv,
        {{"post of one edited row / raw UPDATE + commit", "ResultSetPost/min_time:1.000",
          "RawUpdateCommit/min_time:1.000", 1.5},
         {"post with the change journal / post without", "JournalledPost/min_time:1.000",
          "ResultSetPost/min_time:1.000", 1.10},
         {"journal line on an open journal", "JournalLine/min_time:1.000", "", 0.1},
         {"first line of a new journal / line on an open journal",
          "JournalFirstLine/min_time:1.000", "JournalLine/min_time:1.000", 1000.0},
         {"refresh of 30 rows", "Refresh/30", "", 2.0},
         {"refresh of 10,000 rows / refresh of 1,000 rows", "Refresh/10000", "Refresh/1000", 15.0},
         {"database reset / 44 raw commits", "DatabaseReset/min_time:2.000",
          "Raw44Commits/min_time:2.000", 1.5},
         {"post over TCP loopback / embedded post", "ServerPost/min_time:1.000",
          "ResultSetPost/min_time:1.000", 3.0},
         {"commit to event on another attachment, median",
          "ServerEventLatency/iterations:200.median_ms", "", 50.0},
         {"commit to event on another attachment, 95th pct",
          "ServerEventLatency/iterations:200.p95_ms", "", 50.0}});
    bench::cache<Event>().clear();
    serverSlot().reset();
    return result;
}
