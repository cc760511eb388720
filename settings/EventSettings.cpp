#include "settings/EventSettings.h"

namespace zlt::settings {
namespace {

std::string lineOrEmpty(const std::vector<std::string>& lines, std::size_t number) {
    return number < lines.size() ? lines[number] : std::string();
}

std::filesystem::path pictureNamed(const char* utf8Name) {
    return std::filesystem::path(reinterpret_cast<const char8_t*>(utf8Name));
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

std::filesystem::path mainWindowPicture(bool summer) {
    return pictureNamed(summer ? "razítko - létoB.jpg" : "razítko - zimaB.jpg");
}

std::filesystem::path reportStamp(bool summer) {
    return pictureNamed(summer ? "razítko - léto.jpg" : "razítko - zima.jpg");
}

}  // namespace zlt::settings
