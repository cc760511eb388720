#pragma once

#include <filesystem>

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
void createDatabase(const std::filesystem::path& file, int sqlDialect = 3);

// Creates (if needed) the folder and puts a new event in it: the database, the settings
// file and the four stamp pictures. An existing database is never overwritten; an
// existing settings file or picture is kept.
void createEventFolder(const std::filesystem::path& folder);

}  // namespace zlt::tools
