#pragma once

#include "database/ResultSet.h"
#include "database/Statement.h"

namespace zlt::settings {

// One competition table as the reset sees it: its delete statement and its result set.
struct ResetTable {
    db::Statement& deleteAll;
    db::ResultSet& rows;
};

// Empties both tables and refills them with blank rows: 30 preliminary rows numbered 1 to
// 30 and 12 finals rows whose team name is one space. Every statement and row is
// committed on its own, so a failure stops at that step with the steps before it done.
void resetDatabase(ResetTable preliminary, ResetTable finals);

}  // namespace zlt::settings
