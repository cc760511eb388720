#pragma once

#include <initializer_list>
#include <string>

namespace zlt::db {
class ResultSet;
}

namespace zlt::app {

// The Enter recomputation of a grid row's total: re-reads the rows (writing the row being
// typed first), adds up the terms at the given field positions that are greater than 0
// (Null, 0 and negative values count nothing), and writes the sum into the total field.
// A sum beyond the 32-bit range, counting text still being typed, is refused before
// anything is written; the row being typed then stays as it is.
void recomputeRowTotal(db::ResultSet& rows, std::initializer_list<int> termPositions,
                       const std::string& totalField);

}  // namespace zlt::app
