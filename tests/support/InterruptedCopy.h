#pragma once

#include <filesystem>
#include <string>

namespace zlt::test {

// A copy cut short as a power cut or a killed program cuts it: `zlt-event backup` on the
// event folder, killed by SIGKILL the moment the engine creates the copy's backup file in
// "zalohy", which it does once it has put the database in its backup mode and before it
// reads a page. A copy that outran the kill is tried again, a few times. Returns whether the
// database was left in the backup mode.
bool killCopyMidway(const std::filesystem::path& eventFolder, const std::string& tool);

// Another program that begins the engine's backup mode itself through isql, then writes
// the statements (committed, so kept only in the changes file beside the database), and is
// killed by SIGKILL before it ends the mode. Returns whether isql got that far.
bool killInBackupMode(const std::filesystem::path& database, const std::string& statements);

}  // namespace zlt::test
