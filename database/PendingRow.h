#pragma once

#include <string>
#include <utility>
#include <vector>

#include "database/FieldValue.h"

namespace zlt::db {

// A row being typed that could not be written: its table, the row it changes and the values
// typed into it.
struct PendingRow {
    std::string table;
    std::string key;  // the row's RDB$DB_KEY; empty for a row being inserted
    std::vector<std::pair<std::string, FieldValue>> values;  // the fields that were changed

    bool operator==(const PendingRow&) const = default;
};

}  // namespace zlt::db
