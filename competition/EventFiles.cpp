#include "competition/EventFiles.h"

#include "competition/EventChoices.h"

namespace zlt::competition {
namespace {

std::filesystem::path pictureNamed(const char* utf8Name) {
    return std::filesystem::path(reinterpret_cast<const char8_t*>(utf8Name));
}

}  // namespace

std::filesystem::path mainWindowPicture(bool summer) {
    return pictureNamed(summer ? "razítko - létoB.jpg" : "razítko - zimaB.jpg");
}

std::filesystem::path reportStamp(bool summer) {
    return pictureNamed(summer ? "razítko - léto.jpg" : "razítko - zima.jpg");
}

std::string keptDatabaseLocation(const std::filesystem::path& folder) {
    return readChoice(folder, EventChoice::DatabaseLocation).first();
}

std::string databaseLocationProblem(const std::filesystem::path& folder) {
    return readChoice(folder, EventChoice::DatabaseLocation).problem;
}

void keepDatabaseLocation(const std::filesystem::path& folder, const std::string& location) {
    keepChoice(folder, EventChoice::DatabaseLocation,
               location.empty() ? std::vector<std::string>() : std::vector{location});
}

}  // namespace zlt::competition
