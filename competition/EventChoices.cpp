#include "competition/EventChoices.h"

#include <cstdint>
#include <fstream>
#include <string_view>
#include <system_error>

#include "competition/Refusal.h"
#include "competition/TypedWords.h"
#include "text/SystemError.h"
#include "text/TextFile.h"

namespace zlt::competition {
namespace {

struct ChoiceName {
    const char* file;
    // What a refusal to keep it names: "<what> nelze uložit do souboru …".
    const char* what;
};

ChoiceName nameOf(EventChoice choice) {
    switch (choice) {
        case EventChoice::DatabaseLocation:
            return {"databaze.txt", "Umístění databáze"};
        case EventChoice::SecondBackupFolder:
            return {"zalohy-druha-slozka.txt", "Druhou složku záloh"};
        case EventChoice::Disciplines:
            return {"discipliny.txt", "Volby disciplín"};
        case EventChoice::LiveResults:
            return {"vysledky-na-siti.txt", "Volbu výsledků na síti"};
        case EventChoice::Publishing:
            return {"publikace.txt", "Volbu publikování"};
        case EventChoice::DiplomaLayout:
            return {"diplomy.txt", "Vzhled diplomů"};
    }
    return {"", ""};
}

// A choice is a few short lines; anything much bigger is no choice of the program's.
constexpr std::uintmax_t kLargestFile = 16 * 1024;

std::string wholeFileProblem(EventChoice choice, const std::string& why) {
    std::string problem = "Soubor ";
    problem += choiceFile(choice);
    problem += ' ';
    problem += why;
    return problem;
}

std::vector<std::string> linesOf(std::string_view bytes) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kByteOrderMark)) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = std::min(bytes.find('\n'), bytes.size());
        std::string line(bytes.substr(0, end));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        lines.push_back(std::move(line));
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
    }
    return lines;
}

[[noreturn]] void refuseToKeep(EventChoice choice, const std::filesystem::path& file, int error) {
    throw Refusal(std::string(nameOf(choice).what) + " nelze uložit do souboru " + file.string() +
                  ": " + text::systemErrorText(error) + ".");
}

}  // namespace

const char* choiceFile(EventChoice choice) {
    return nameOf(choice).file;
}

KeptChoice readChoice(const std::filesystem::path& folder, EventChoice choice) {
    const std::filesystem::path file = folder / choiceFile(choice);
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return {};
    }
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) {
        return {{}, wholeFileProblem(choice, "nelze přečíst.")};
    }
    if (size > kLargestFile) {
        return {{},
                wholeFileProblem(choice, "je příliš velký (" + std::to_string(size) +
                                             " bajtů), volba programu má jen pár řádků.")};
    }
    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        return {{}, wholeFileProblem(choice, "nelze přečíst.")};
    }
    KeptChoice kept{linesOf(bytes), {}};
    for (std::size_t at = 0; at < kept.lines.size(); ++at) {
        if (!isUtf8(kept.lines[at])) {
            return {{}, damagedLine(choice, at + 1, "text není v kódování UTF-8.")};
        }
    }
    return kept;
}

std::string damagedLine(EventChoice choice, std::size_t line, const std::string& why) {
    std::string problem = "Soubor ";
    problem += choiceFile(choice);
    problem += ", řádek ";
    problem += std::to_string(line);
    problem += ": ";
    problem += why;
    return problem;
}

void keepChoice(const std::filesystem::path& folder, EventChoice choice,
                const std::vector<std::string>& lines) {
    const std::filesystem::path file = folder / choiceFile(choice);
    try {
        if (lines.empty()) {
            // A removal a power cut undid would bring the old choice back.
            if (std::filesystem::remove(file)) {
                text::syncFolder(folder);
            }
            return;
        }
        std::string bytes;
        for (const std::string& line : lines) {
            bytes += line;
            bytes += '\n';
        }
        text::replaceFile(file, bytes);
    } catch (const text::FileWriteError& error) {
        refuseToKeep(choice, file, error.error());
    } catch (const std::filesystem::filesystem_error& error) {
        refuseToKeep(choice, file, error.code().value());
    }
}

}  // namespace zlt::competition
