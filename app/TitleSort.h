#pragma once

#include <string>

namespace zlt::platform {
class DBGrid;
}

namespace zlt::app {

// The title-click sort shared by both grids: flips the shared direction, highlights the
// clicked column among the first `colouredColumns` and re-opens the grid's result set
// ordered by the clicked column's field. A row still being typed is written first, so a
// click never loses it; if that write fails nothing else changes.
void sortByTitle(platform::DBGrid& grid, const std::string& table, int column, int colouredColumns);

}  // namespace zlt::app
