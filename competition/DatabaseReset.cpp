#include "competition/DatabaseReset.h"

#include "competition/BlankRows.h"
#include "competition/Together.h"
#include "database/DatabaseError.h"

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
    // Nothing is committed when a refill fails: the grids show what the tables still hold.
    writeTogether({&preliminary.rows, &finals.rows}, [&] {
        refill(preliminary);
        refill(finals);
    });
}

}  // namespace zlt::competition
