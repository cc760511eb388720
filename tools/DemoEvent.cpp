// zlt-demo-event FOLDER RESULTS: gives an event folder the demo event's details and the
// results its teams achieved, posted row by row as the grid posts what an operator types,
// and kept in the change journal. scripts/demo/make-demo.sh runs it between the team import
// and the placings; it is built for the demo only, never installed.
#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "competition/Competition.h"
#include "competition/Csv.h"
#include "competition/EventFiles.h"
#include "competition/Refusal.h"
#include "database/FieldValue.h"
#include "text/TextFile.h"
#include "tools/EventFolder.h"

namespace zlt::tools {
namespace {

namespace fs = std::filesystem;

constexpr int kFailed = 1;
constexpr int kUsageExit = 2;

// The details of a new event, with the demo's own edition and its place and date.
competition::EventSettings demoSettings() {
    competition::EventSettings settings = exampleSettings();
    settings.texts[competition::EventDetails::Edition] = "27";
    settings.texts[competition::EventDetails::Place] = "Zeltov, 13. června 2026";
    return settings;
}

// One team's results as typed, in the order of the file's disciplines.
struct TeamResults {
    int line = 0;
    int number = 0;
    std::vector<std::string> results;
};

// The results file: a header "číslo;1;2;…" naming the preliminary disciplines, then a team
// number and its results on each line, separated by semicolons, UTF-8.
struct ResultsFile {
    std::vector<competition::Discipline> disciplines;
    std::vector<TeamResults> teams;
};

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw competition::Refusal("Soubor výsledků " + file.string() +
                                   " nelze přečíst: " + fileSystemReason(errno) + ".");
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string onLine(const fs::path& file, int line) {
    return "Soubor výsledků " + file.string() + ", řádek " + std::to_string(line) + ": ";
}

std::vector<competition::Discipline> headerDisciplines(const fs::path& file,
                                                       const std::vector<std::string>& header) {
    std::vector<competition::Discipline> disciplines;
    for (auto name = header.begin() + 1; name != header.end(); ++name) {
        const auto discipline = competition::Discipline::named(*name);
        if (!discipline || discipline->finals) {
            throw competition::Refusal(onLine(file, 1) + "„" + *name +
                                       "“ není disciplína základní části (1 až 6).");
        }
        disciplines.push_back(*discipline);
    }
    return disciplines;
}

ResultsFile readResultsFile(const fs::path& file) {
    std::vector<competition::CsvRecord> records;
    const std::optional<int> openQuote = competition::forEachCsvRecord(
        fileText(file), ';', [&](competition::CsvRecord&& record) { records.push_back(record); });
    if (openQuote) {
        throw competition::Refusal(onLine(file, *openQuote) + "uvozovky se neuzavírají.");
    }
    if (records.size() < 2 || records.front().fields.size() < 2) {
        throw competition::Refusal("Soubor výsledků " + file.string() +
                                   " nemá záhlaví s disciplínami a aspoň jedno družstvo.");
    }
    const std::vector<std::string>& header = records.front().fields;
    ResultsFile results{headerDisciplines(file, header), {}};
    for (auto record = records.begin() + 1; record != records.end(); ++record) {
        const std::vector<std::string>& fields = record->fields;
        const auto number = db::integerOf(db::FieldValue(fields.front()));
        if (fields.size() != header.size() || !number) {
            throw competition::Refusal(onLine(file, record->line) +
                                       "čekám číslo družstva a výsledek každé disciplíny.");
        }
        results.teams.push_back({record->line, *number, {fields.begin() + 1, fields.end()}});
    }
    return results;
}

// Every team is found before the first row is written, so that a wrong number writes
// nothing.
void postResults(db::ResultSet& rows, const ResultsFile& file, const fs::path& name) {
    std::vector<int> numbers;
    for (const TeamResults& team : file.teams) {
        numbers.push_back(team.number);
    }
    const std::vector<int> targets = competition::rowsOfNumbers(numbers, rows);
    for (std::size_t at = 0; at < targets.size(); ++at) {
        if (targets[at] >= rows.recordCount()) {
            throw competition::Refusal(onLine(name, file.teams[at].line) + "družstvo číslo " +
                                       std::to_string(numbers[at]) + " v tabulce není.");
        }
    }
    for (std::size_t at = 0; at < targets.size(); ++at) {
        rows.moveTo(targets[at]);
        rows.edit();
        for (std::size_t column = 0; column < file.disciplines.size(); ++column) {
            rows.setField(file.disciplines[column].resultField(), file.teams[at].results[column]);
        }
        rows.post();
    }
}

void makeDemo(const fs::path& folder, const fs::path& resultsFile) {
    const ResultsFile results = readResultsFile(resultsFile);
    if (!fs::exists(folder / competition::kDatabaseFile)) {
        throw competition::Refusal("Ve složce " + folder.string() + " není databáze " +
                                   competition::kDatabaseFile + "; založí ji zlt-new-event.");
    }
    fs::current_path(folder);
    // Made inside the folder: the core takes the working directory as the event folder.
    competition::Competition competition;
    competition.openPreliminary();
    postResults(competition.preliminary(), results, resultsFile);
    if (!competition.journal().flush()) {
        throw competition::Refusal(competition.journal().problem().toStdString());
    }
    text::writeWin1250Lines(competition::kSettingsFile, competition::linesOf(demoSettings()));
}

}  // namespace
}  // namespace zlt::tools

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr,
                     "Použití: zlt-demo-event SLOŽKA VÝSLEDKY.csv\n"
                     "Zapíše do složky ročníku údaje ukázkového ročníku a výsledky družstev ze "
                     "souboru.\n");
        return zlt::tools::kUsageExit;
    }
    QCoreApplication application(argc, argv);
    const std::filesystem::path results = std::filesystem::absolute(argv[2]);
    try {
        zlt::tools::makeDemo(argv[1], results);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zlt-demo-event: %s\n", error.what());
        return zlt::tools::kFailed;
    }
    std::printf("Ukázkový ročník má údaje a výsledky: %s\n", argv[1]);
    return 0;
}
