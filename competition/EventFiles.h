#pragma once

#include <filesystem>
#include <string>

namespace zlt::competition {

// The files of an event folder. The program runs inside the folder, so they are named
// without a path, and messages name them the same way.
inline constexpr const char* kDatabaseFile = "ZLT04.GDB";
inline constexpr const char* kSettingsFile = "Nastaveni.txt";
// The picture printed under the diplomas' texts, over the whole page; it may be missing.
inline constexpr const char* kDiplomaBackground = "diplom.jpg";

// Where the event's database is when several judges' tables share it on a database server
// (EventChoice::DatabaseLocation). Empty when the folder's own file is used, also when the
// file is damaged: databaseLocationProblem() tells that.
std::string keptDatabaseLocation(const std::filesystem::path& folder);
// Empty, or the Czech sentence for a damaged file. The database is not opened then, as the
// folder's own file may not be the one meant.
std::string databaseLocationProblem(const std::filesystem::path& folder);
// An empty location forgets the server. Throws Refusal in Czech when it cannot be kept.
void keepDatabaseLocation(const std::filesystem::path& folder, const std::string& location);

// The season's picture for the main window and its stamp for the printed sheets.
std::filesystem::path mainWindowPicture(bool summer);
std::filesystem::path reportStamp(bool summer);

}  // namespace zlt::competition
