#include "competition/BlankRows.h"

#include <cstdint>
#include <string>

#include "database/FieldList.h"
#include "database/ResultSet.h"

namespace zlt::competition {
namespace {

constexpr int kPreliminaryRows = 30;
constexpr int kFinalsRows = 12;

}  // namespace

void addBlankRows(db::ResultSet& rows) {
    const bool finals = rows.fields().table() == db::finalsFields().table();
    const int count = finals ? kFinalsRows : kPreliminaryRows;
    for (int number = 1; number <= count; ++number) {
        rows.insert();
        if (finals) {
            rows.setField("DRUZSTVO", std::string(" "));
        } else {
            rows.setField("CISLO", std::int32_t{number});
        }
        rows.post();
    }
}

}  // namespace zlt::competition
