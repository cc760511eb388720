#pragma once

#include <vector>

#include "competition/EventDetails.h"
#include "database/Connection.h"
#include "database/ResultSet.h"
#include "database/Statement.h"

namespace zlt::competition {

// The competition as the program holds it: the one connection to the event's database,
// the result sets of both rounds with their delete statements, and the event's details.
// Made once at start-up, before the first window; the windows and sheets work on what it
// owns and through its operations, so that none of them needs another window.
class Competition {
public:
    Competition();
    Competition(const Competition&) = delete;
    Competition& operator=(const Competition&) = delete;

    db::Connection& connection() { return connection_; }
    db::ResultSet& preliminary() { return preliminary_; }
    db::ResultSet& finals() { return finals_; }
    db::Statement& deletePreliminary() { return deletePreliminary_; }
    db::Statement& deleteFinals() { return deleteFinals_; }
    EventDetails& details() { return details_; }
    std::vector<db::ResultSet*> resultSets() { return {&preliminary_, &finals_}; }

    // Attaches the database in the working directory by opening the preliminary rows.
    void openPreliminary();
    void openFinals();

    // The Enter recomputation of the current row's total, by the rule of the rows' table.
    void recomputeTotal(db::ResultSet& rows);
    // The title-click sort of both grids: a row still being typed is written first (if
    // that fails nothing changes); then the shared direction flips, and the rows re-open
    // ordered by the column's field: ascending when the flip made it true.
    void sortByTitle(db::ResultSet& rows, int column);
    void mergeFinalsIntoStandings();
    void resetDatabase();
    // Writes a row still being typed in either round.
    void writePendingRows();

    // The sort direction shared by both grids.
    bool Sestupne = false;

private:
    db::Connection connection_;
    db::ResultSet preliminary_;
    db::ResultSet finals_;
    db::Statement deletePreliminary_;
    db::Statement deleteFinals_;
    EventDetails details_;
};

}  // namespace zlt::competition
