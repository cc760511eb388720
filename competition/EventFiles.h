#pragma once

#include <filesystem>

namespace zlt::competition {

// The files of an event folder. The program runs inside the folder, so they are named
// without a path, and messages name them the same way.
inline constexpr const char* kDatabaseFile = "ZLT04.GDB";
inline constexpr const char* kSettingsFile = "Nastaveni.txt";

// The season's picture for the main window and its stamp for the printed sheets.
std::filesystem::path mainWindowPicture(bool summer);
std::filesystem::path reportStamp(bool summer);

}  // namespace zlt::competition
