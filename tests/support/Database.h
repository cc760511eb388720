#pragma once

#include <string>
#include <vector>

#include "database/Connection.h"
#include "database/FieldList.h"
#include "database/FieldValue.h"
#include "database/ResultSet.h"
#include "database/Statement.h"
#include "tests/support/TempEventFolder.h"

namespace zlt::test {

// What the table really holds, read through an attachment of its own so that only
// committed data is seen.
std::vector<std::vector<db::FieldValue>> storedRows(const std::filesystem::path& database,
                                                    const db::FieldList& fields,
                                                    const std::string& orderBy);

// Runs one statement against the database through an attachment of its own.
void execute(const std::filesystem::path& database, const std::string& sql);

}  // namespace zlt::test
