#include "competition/SettingsFile.h"

#include "text/TextFile.h"
#include "text/Win1250.h"

namespace zlt::competition {
namespace {

std::string lineOrEmpty(const std::vector<std::string>& lines, std::size_t number) {
    return number < lines.size() ? lines[number] : std::string();
}

}  // namespace

EventSettings settingsFromLines(const std::vector<std::string>& lines) {
    EventSettings settings;
    for (std::size_t line = 0; line < kTextLines; ++line) {
        settings.texts[line] = lineOrEmpty(lines, line);
    }
    settings.penaltyShown = lineOrEmpty(lines, 11) == kPenaltyShown;
    settings.summer = lineOrEmpty(lines, 12) == kSummer;
    return settings;
}

std::vector<std::string> linesOf(const EventSettings& settings) {
    std::vector<std::string> lines(settings.texts.begin(), settings.texts.end());
    lines.push_back(settings.penaltyShown ? kPenaltyShown : kPenaltyHidden);
    lines.push_back(settings.summer ? kSummer : kWinter);
    return lines;
}

EventSettings readSettingsFile(const std::filesystem::path& file) {
    return settingsFromLines(text::readWin1250Lines(file));
}

std::optional<std::string> whyUnsavable(const std::string& text) {
    if (text.find_first_of("\r\n") != std::string::npos) {
        return "The text cannot hold a line break";
    }
    try {
        text::toWin1250(text);
    } catch (const text::EncodingError& error) {
        return error.what();
    }
    return std::nullopt;
}

void requireSavable(const EventSettings& settings) {
    for (std::size_t line = 0; line < kTextLines; ++line) {
        if (const auto reason = whyUnsavable(settings.texts[line])) {
            throw UnsavableText(line, *reason);
        }
    }
}

}  // namespace zlt::competition
