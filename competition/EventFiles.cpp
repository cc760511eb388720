#include "competition/EventFiles.h"

#include "competition/Refusal.h"
#include "text/TextFile.h"

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
    const std::vector<std::string> lines = text::keptLines(folder / kDatabaseLocationFile);
    return lines.empty() ? std::string() : lines[0];
}

void keepChoice(const std::filesystem::path& file, const std::string& line,
                const std::string& what) {
    try {
        if (line.empty()) {
            // A removal a power cut undid would bring the old choice back.
            if (std::filesystem::remove(file)) {
                text::syncFolder(file.parent_path());
            }
        } else {
            text::replaceFile(file, line + '\n');
        }
    } catch (const std::exception& error) {
        throw Refusal(what + " nelze uložit do souboru " + file.string() + ": " + error.what() +
                      ".");
    }
}

void keepDatabaseLocation(const std::filesystem::path& folder, const std::string& location) {
    keepChoice(folder / kDatabaseLocationFile, location, "Umístění databáze");
}

}  // namespace zlt::competition
