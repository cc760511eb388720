#pragma once

#include "database/ResultSet.h"

namespace zlt::competition {

// Writes the finals into the preliminary table: both result sets are re-read in rank
// order, then the k-th preliminary row takes the finals rank, team name and finals total
// of the k-th finals row, for the first twelve. Every other column of those rows keeps
// its value. The preliminary result set ends on its first row.
//
// Only as many rows are copied as both tables hold, so that with fewer than twelve rows
// no finals row is copied twice and no preliminary row is overwritten again.
void mergeFinalsIntoStandings(db::ResultSet& preliminary, db::ResultSet& finals);

}  // namespace zlt::competition
