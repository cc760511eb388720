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

// Keeps a choice as the one line of its file, or forgets it when the line is empty. A
// failure keeps the choice made before and is told as a Refusal: "<what> nelze uložit…".
void keepChoice(const std::filesystem::path& file, const std::string& line,
                const std::string& what);

// Where the event's database is when several judges' tables share it on a database server
// ("host[/port]:path" or "host:alias"), one line of UTF-8 beside the settings file. Without
// it the folder's own database file is used.
inline constexpr const char* kDatabaseLocationFile = "databaze.txt";
// Empty when the folder's own file is used.
std::string keptDatabaseLocation(const std::filesystem::path& folder);
// An empty location forgets the server. Throws Refusal in Czech when it cannot be kept.
void keepDatabaseLocation(const std::filesystem::path& folder, const std::string& location);

// The season's picture for the main window and its stamp for the printed sheets.
std::filesystem::path mainWindowPicture(bool summer);
std::filesystem::path reportStamp(bool summer);

}  // namespace zlt::competition
