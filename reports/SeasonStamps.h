#pragma once

#include <filesystem>

namespace zlt::reports {

// Loads the season's stamp picture into the five sheets, reading the file once for each:
// discipline results, final-discipline results, finals standings, preliminary-round
// standings, overall standings. A picture that cannot be loaded throws at that sheet;
// the sheets before it keep the new stamp, the ones after it their old one.
void loadSeasonStamps(const std::filesystem::path& file);

}  // namespace zlt::reports
