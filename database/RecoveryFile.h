#pragma once

#include <filesystem>
#include <vector>

#include "database/PendingRow.h"

namespace zlt::db {

// Rows that could not be written when the program had to end with nobody there to answer
// (a logout, a signal, a lost display) are kept in a file beside the database and offered
// again at the next start.
std::filesystem::path recoveryFileOf(const std::filesystem::path& database);

// Replaces the file in one step. The text is plain ASCII: every other byte of a value is
// written as \xHH, so that any typed text survives, whatever the code page could hold.
void saveRecoveryFile(const std::filesystem::path& file, const std::vector<PendingRow>& rows);

// Throws std::runtime_error naming the file when it cannot be read or is not such a file.
std::vector<PendingRow> loadRecoveryFile(const std::filesystem::path& file);

}  // namespace zlt::db
