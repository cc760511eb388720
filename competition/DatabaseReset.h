#pragma once

#include "database/ResultSet.h"
#include "database/Statement.h"

namespace zlt::competition {

// One competition table as the reset sees it: its delete statement and its result set.
struct ResetTable {
    db::Statement& deleteAll;
    db::ResultSet& rows;
};

// Empties both tables and refills them with the blank rows an event starts with. A row still being
// typed is written first; then the statements run in one transaction, so that a failure or a crash
// leaves either the old tables or the new ones. A table that cannot be read is refused up front.
void resetDatabase(ResetTable preliminary, ResetTable finals);

}  // namespace zlt::competition
