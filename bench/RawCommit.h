#pragma once

#include <benchmark/benchmark.h>

namespace zlt::db {
class Connection;
}

namespace zlt::bench {

// The floor of every write: one UPDATE of one row and its commit, straight through the
// client API with nothing of the data-access layer around it.
void rawUpdateCommit(db::Connection& connection, int value);

// That floor, one benchmark iteration each commit.
void measureRawUpdateCommits(benchmark::State& state, db::Connection& connection);

// The floor of a whole-database write: as many raw commits as a reset makes (30 + 12
// rows, and the two deletes), one benchmark iteration each round.
void measureRaw44Commits(benchmark::State& state, db::Connection& connection);

}  // namespace zlt::bench
