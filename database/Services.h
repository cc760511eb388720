#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "database/DatabaseError.h"

namespace zlt::db {

// A failure of the engine's services, with the system's error number (errno) when the
// engine named one, so that a caller can say "disk full" rather than quote the engine.
class ServiceError : public DatabaseError {
public:
    ServiceError(const std::string& message, long engineCode, int systemError)
        : DatabaseError(message, engineCode), systemError_(systemError) {}

    int systemError() const { return systemError_; }  // 0 when the engine named none

private:
    int systemError_;
};

// Copies the database through the embedded engine's backup service, also while it is open
// and being written, so that the copy holds every transaction committed before it began and
// nothing half written. The copy appears under its name only when complete, readable like
// the database; the work files beside it are removed, also after a failure.
// A copy that fails leaves the database as it was, out of the engine's backup mode.
void copyDatabase(const std::filesystem::path& database, const std::filesystem::path& copy);

// The copy that a work file of copyDatabase belongs to ("X.GDB.nbk" and "X.GDB.part" are
// X.GDB's), or an empty path for any other file. A process killed in the middle of a copy
// leaves them behind; they are never a copy themselves.
std::filesystem::path copyOfWorkFile(const std::filesystem::path& file);

// How the engine holds the database for a copy: normally, or in its backup mode (stalled),
// with every change kept in a file beside it ("ZLT04.GDB.delta"), or merging that file back.
enum class BackupMode { Normal, Stalled, Merging };
// Throws DatabaseError when the database does not open.
BackupMode backupModeOf(const std::filesystem::path& database);
// Ends the backup mode that a copy began and never ended, its process killed or the power
// cut in the middle of it: the engine merges the changes kept beside the database back into
// it. Until then it refuses every new copy ("already in the physical backup mode"). Returns
// whether the database was in the backup mode; throws DatabaseError when the engine refuses.
bool endBackupMode(const std::filesystem::path& database);
// For a database the engine refuses to take out of the backup mode although its header
// says it is in it ("not in the physical backup mode"): after a power cut in a copy, the
// changes file can lack the pages the engine had written there. The header's backup state
// is set back to normal and the changes file given up; it held only what the copy's own
// attachment wrote, as the program commits nothing while it copies. Only while nobody has
// the database attached. Throws DatabaseError for a header of no database under backup.
void leaveStalledBackupMode(const std::filesystem::path& database);

// What the engine's refusal to open a file says of the file.
enum class FileFault { NotADatabase, Truncated, Unreadable, OtherEngineVersion, Corrupt, Other };
FileFault fileFaultOf(const DatabaseError& error);

// The engine's own check of every page, record and index of the database's tables (its
// online validation). Returns the lines that tell a fault, none for a sound database;
// throws ServiceError when the file does not open as a database at all.
std::vector<std::string> validateDatabase(const std::filesystem::path& database);

}  // namespace zlt::db
