#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace zlt::settings {

// The settings file, in the working directory.
inline constexpr const char* kSettingsFile = "Nastaveni.txt";
// The edition number, the place and date and the nine discipline names, lines 0 to 10.
inline constexpr std::size_t kTextLines = 11;
inline constexpr std::size_t kLineCount = 13;

// Lines 11 and 12 are compared exactly; any other text means no penalties and winter.
inline constexpr const char* kPenaltyShown = "Penalizace ANO";
inline constexpr const char* kPenaltyHidden = "Penalizace NE";
inline constexpr const char* kSummer = "Letni hry";
inline constexpr const char* kWinter = "Zimni hry";

struct EventSettings {
    std::array<std::string, kTextLines> texts;
    bool penaltyShown = false;
    bool summer = false;
};

// The settings held by the file's lines. A line the file lacks reads as empty, lines
// after the thirteenth are ignored.
EventSettings settingsFromLines(const std::vector<std::string>& lines);

// The season's picture for the main window and its stamp for the printed sheets.
std::filesystem::path mainWindowPicture(bool summer);
std::filesystem::path reportStamp(bool summer);

}  // namespace zlt::settings
