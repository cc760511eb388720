#pragma once

#include <QString>
#include <filesystem>
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

// Writes the results into the folder: both tables as CSV (UTF-8 with a BOM, semicolons,
// the grids' column titles) and one HTML page per sheet with an index page. Each file is
// written beside its old version and renamed over it. The rows are read as stored: the
// current row and a row being typed stay as they are. Returns the files written; throws
// with a Czech message when a file cannot be written.
std::vector<std::filesystem::path> exportResults(competition::Competition& competition,
                                                 SheetBook& sheets,
                                                 const std::filesystem::path& folder,
                                                 ExportChoice choice = {});

}  // namespace zlt::reports
