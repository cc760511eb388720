#include "competition/DatabaseReset.h"

#include "competition/BlankRows.h"
#include "database/DatabaseError.h"
#include "database/Transaction.h"

namespace zlt::competition {
namespace {

void refill(ResetTable table) {
    table.deleteAll.execute();
    table.rows.refresh();
    addBlankRows(table.rows);
    table.rows.refresh();
}

// A table the result set cannot read whole could not be refilled either: the reset is
// refused before anything is deleted.
void requireReadable(ResetTable table) {
    if (table.rows.active()) {
        return;
    }
    try {
        table.rows.open();
    } catch (const std::exception& error) {
        throw db::DatabaseError("Databázi nelze vymazat: tabulku " + table.rows.fields().table() +
                                " nelze přečíst (" + error.what() + "). Nic nebylo smazáno.");
    }
}

}  // namespace

void resetDatabase(ResetTable preliminary, ResetTable finals) {
    requireReadable(preliminary);
    requireReadable(finals);
    // A row still being typed is written first: if the reset cannot even start, nothing
    // the operator typed is lost.
    preliminary.rows.checkBrowseMode();
    finals.rows.checkBrowseMode();
    try {
        db::Transaction::together(preliminary.rows.connection(), [&] {
            refill(preliminary);
            refill(finals);
        });
    } catch (...) {
        // Nothing was committed: the grids go back to what the tables still hold, without
        // the reset's own refused row. The error to report is the one that stopped the
        // reset, not a later one.
        for (db::ResultSet* rows : {&preliminary.rows, &finals.rows}) {
            try {
                rows->cancel();
                rows->refresh();
            } catch (const std::exception&) {
            }
        }
        throw;
    }
}

}  // namespace zlt::competition
