#include "settings/DatabaseReset.h"

#include <cstdint>
#include <functional>

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

}  // namespace

void resetDatabase(ResetTable preliminary, ResetTable finals) {
    // A row still being typed is written first: if the reset cannot even start, nothing
    // the operator typed is lost.
    preliminary.rows.checkBrowseMode();
    finals.rows.checkBrowseMode();
    refill(preliminary, kPreliminaryRows,
           [&](int number) { preliminary.rows.setField("CISLO", std::int32_t{number}); });
    refill(finals, kFinalsRows, [&](int) { finals.rows.setField("DRUZSTVO", std::string(" ")); });
}

}  // namespace zlt::settings
