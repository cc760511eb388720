#include "settings/DatabaseReset.h"

#include <cstdint>
#include <functional>

#include "database/DatabaseError.h"
#include "database/Transaction.h"

namespace zlt::settings {
namespace {

constexpr int kPreliminaryRows = 30;
constexpr int kFinalsRows = 12;

void refill(ResetTable table, int rowCount, const std::function<void(int number)>& fill) {
    table.deleteAll.execute();
    table.rows.refresh();
    for (int number = 1; number <= rowCount; ++number) {
        table.rows.insert();
        fill(number);
        table.rows.post();
    }
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
            refill(preliminary, kPreliminaryRows,
                   [&](int number) { preliminary.rows.setField("CISLO", std::int32_t{number}); });
            refill(finals, kFinalsRows,
                   [&](int) { finals.rows.setField("DRUZSTVO", std::string(" ")); });
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

}  // namespace zlt::settings
