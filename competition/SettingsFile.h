#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "competition/Refusal.h"

namespace zlt::competition {

// The settings file: Windows-1250 text, CR LF after every line, 13 lines. Lines 0 to 10
// hold the edition number, the place and date and the nine discipline names; lines 11 and
// 12 the penalty column and the season, compared exactly: any other text means no
// penalties and winter.
inline constexpr std::size_t kTextLines = 11;
inline constexpr std::size_t kLineCount = 13;
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
std::vector<std::string> linesOf(const EventSettings& settings);

// Throws std::runtime_error "Cannot open file <name>" when the file cannot be read.
EventSettings readSettingsFile(const std::filesystem::path& file);

// Why a text cannot be a line of the file (a line break, a character Windows-1250 lacks),
// or nothing when it can.
std::optional<std::string> whyUnsavable(const std::string& text);

// A text of the settings refused before anything was written.
class UnsavableText : public Refusal {
public:
    UnsavableText(std::size_t line, const std::string& reason) : Refusal(reason), line_(line) {}
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

// Throws UnsavableText for the first text that the file could not hold.
void requireSavable(const EventSettings& settings);

}  // namespace zlt::competition
