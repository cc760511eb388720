#pragma once

namespace zlt::db {
class ResultSet;
}

namespace zlt::competition {

// Adds the blank rows an event starts with to an emptied table, each posted: 30
// preliminary rows numbered 1 to 30, and 12 finals rows whose team name is one space.
// Every other column stays empty.
void addBlankRows(db::ResultSet& rows);

}  // namespace zlt::competition
