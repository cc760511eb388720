#pragma once

#include <QString>
#include <filesystem>
#include <string_view>
#include <vector>

#include "reports/sheets/Sheets.h"

namespace zlt::competition {
class Competition;
class EventDetails;
}  // namespace zlt::competition

namespace zlt::db {
class ResultSet;
}

namespace zlt::reports {

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
// stand, then the sheets' pages, made by the sheets' makers from the options over the rows
// given, and the index last, whose links tell apart pages of the same heading.
std::vector<ExportFile> exportFiles(db::ResultSet& preliminary, db::ResultSet& finals,
                                    const SheetOptions& options,
                                    const competition::EventDetails& details,
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
                                                 const SheetOptions& options,
                                                 const std::filesystem::path& folder,
                                                 ExportChoice choice = {});

// Puts the bytes in the file's place in one rename; throws std::runtime_error with a Czech
// message naming the file, its folder and the reason.
void replaceFileSaying(const std::filesystem::path& file, std::string_view bytes);

}  // namespace zlt::reports
