#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zlt::db {
class Connection;
}

namespace zlt::tools {

inline constexpr const char* kDatabaseFile = "ZLT04.GDB";
inline constexpr const char* kSettingsFile = "Nastaveni.txt";

// The 13 lines of a new event's settings file: example names the organiser overwrites in
// the settings window.
std::vector<std::string> defaultSettingsLines();

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
