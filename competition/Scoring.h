#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "database/FieldValue.h"

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

// What one term adds to the total: a number greater than 0 counts, Null, 0, a negative
// value and a text that is no number count nothing. A text typed for an integer field
// counts as its number.
std::int64_t countedTerm(const db::FieldValue& value);

// The Enter recomputation of the current row's total: writes the row being typed, re-reads
// the rows, adds up the terms that are greater than 0 (Null, 0 and negative values count
// nothing), and writes the sum into the total field, all in one transaction.
// A sum beyond the 32-bit range, counting text still being typed, is refused before
// anything is written; the row being typed then stays as it is. When any later step fails,
// nothing of it is committed: the rows show what the tables hold, and the values typed are
// being typed again over them.
void recomputeRowTotal(db::ResultSet& rows, const TotalRule& rule);

}  // namespace zlt::competition
