#pragma once

#include <QString>
#include <filesystem>
#include <string_view>
#include <vector>

namespace zlt {
class TfrmTiskDisc;
class TfrmTiskFDisc;
class TfrmZLTTisk;
class TfrmZLTFinaleTisk;
class TfrmCelkovyTisk;
}  // namespace zlt

namespace zlt::competition {
class Competition;
class EventDetails;
}  // namespace zlt::competition

namespace zlt::db {
class ResultSet;
}

namespace zlt::reports {

// The five sheets the export shows, prepared exactly as the print path prepares them.
struct SheetBook {
    TfrmTiskDisc& disciplines;
    TfrmZLTTisk& standings;
    TfrmTiskFDisc& finalDisciplines;
    TfrmZLTFinaleTisk& finalsStandings;
    TfrmCelkovyTisk& overall;
};

struct ExportChoice {
    bool csv = true;
    bool html = true;
};

// One file of the export, made in memory: its name, how the index names it, its bytes.
struct ExportFile {
    std::string name;
    QString title;
    std::string bytes;
};

// The export's files in the order they are written: the CSV of each round's rows as they
// stand, then the sheets' pages and the index last. The sheets print whatever rows they
// are given to read.
std::vector<ExportFile> exportFiles(const db::ResultSet& preliminary, const db::ResultSet& finals,
                                    SheetBook& sheets, const competition::EventDetails& details,
                                    ExportChoice choice = {});

// Writes the results into the folder: both tables as CSV (UTF-8 with a BOM, semicolons,
// CR LF, the grids' column titles, text values without trailing blanks) and one HTML page
// per sheet with an index page that links them all. Every file is first written beside
// its old version, and only once all are on the disk do they replace the old ones, each in
// one rename. The rows are read where they are: the current row and a row being typed stay
// as they are (the typed values show, as in the grid). Returns the files written; throws
// with a Czech message naming the file when one cannot be written, leaving the old files
// as they were.
std::vector<std::filesystem::path> exportResults(competition::Competition& competition,
                                                 SheetBook& sheets,
                                                 const std::filesystem::path& folder,
                                                 ExportChoice choice = {});

// Puts the bytes in the file's place in one rename; throws std::runtime_error with a Czech
// message naming the file, its folder and the reason.
void replaceFileSaying(const std::filesystem::path& file, std::string_view bytes);

}  // namespace zlt::reports
