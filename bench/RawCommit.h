#pragma once

namespace zlt::db {
class Connection;
}

namespace zlt::bench {

// The floor of every write: one UPDATE of one row and its commit, straight through the
// client API with nothing of the data-access layer around it.
void rawUpdateCommit(db::Connection& connection, int value);

}  // namespace zlt::bench
