#pragma once

#include <filesystem>
#include <string>

#include "competition/SettingsFile.h"

namespace zlt::db {
class Connection;
}

namespace zlt::tools {

// A new event's settings: example names the organiser overwrites in the settings window.
competition::EventSettings exampleSettings();

// Creates the database file with both tables, seeded as a database reset leaves them:
// 30 rows numbered 1 to 30 in DATAZLT and 12 rows whose team name is one space in
// DATAZLTF. Refuses to touch an existing file; a file it could not finish is removed.
// New events get Firebird's default SQL dialect 3; the events of earlier years had 1.
inline constexpr int kNewEventDialect = 3;
void createDatabase(const std::filesystem::path& file, int sqlDialect = kNewEventDialect);

// The same database made through a server, at a location host[/port]:path, owned by the
// user that makes it (ISC_USER, else ZLT). The server refuses a file that exists; a
// database it could not finish stays on the server for its administrator.
void createServerDatabase(const std::string& location, int sqlDialect = kNewEventDialect);

// Why the system refused a file or a folder, in words that read on after "… nelze …: ",
// from the system's error number.
std::string fileSystemReason(int error);

// Creates the folder with any folders above it that are missing, refusing in a Czech
// sentence that names it.
void createFolder(const std::filesystem::path& folder);

// Creates (if needed) the folder and puts a new event in it: the database, the settings
// file and the four stamp pictures. An existing database is never overwritten; an
// existing settings file or picture is kept.
void createEventFolder(const std::filesystem::path& folder);

}  // namespace zlt::tools
