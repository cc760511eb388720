#pragma once

#include <string>
#include <vector>

namespace zlt::db {
class ResultSet;
}

namespace zlt::competition {

// How a table's total is made: the sum of the terms, named by field.
struct TotalRule {
    std::vector<std::string> terms;
    std::string total;
};

// DATAZLT: the six placings and the penalty. DATAZLTF: the three final placings and the
// starting value, which counts in both finals modes.
const TotalRule& preliminaryTotal();
const TotalRule& finalsTotal();
// The rule of the table the rows come from.
const TotalRule& totalRuleOf(const db::ResultSet& rows);

// The Enter recomputation of the current row's total: re-reads the rows (writing the row
// being typed first), adds up the terms that are greater than 0 (Null, 0 and negative
// values count nothing), and writes the sum into the total field.
// A sum beyond the 32-bit range, counting text still being typed, is refused before
// anything is written; the row being typed then stays as it is.
void recomputeRowTotal(db::ResultSet& rows, const TotalRule& rule);

}  // namespace zlt::competition
