#include "app/RowTotal.h"

#include <cstdint>
#include <limits>

#include "database/DatabaseError.h"
#include "database/ResultSet.h"

namespace zlt::app {

void recomputeRowTotal(db::ResultSet& rows, std::initializer_list<int> termPositions,
                       const std::string& totalField) {
    rows.refresh();
    std::int64_t sum = 0;
    for (int position : termPositions) {
        if (const auto* value = std::get_if<std::int32_t>(&rows.field(position));
            value && *value > 0) {
            sum += *value;
        }
    }
    if (sum > std::numeric_limits<std::int32_t>::max()) {
        throw db::DatabaseError(
            "The total " + std::to_string(sum) + " does not fit into " + totalField + " (at most " +
            std::to_string(std::numeric_limits<std::int32_t>::max()) + "); nothing was written");
    }
    rows.edit();
    rows.setField(totalField, static_cast<std::int32_t>(sum));
    rows.post();
}

}  // namespace zlt::app
