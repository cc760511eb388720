#include "app/TitleSort.h"

#include "app/SharedState.h"
#include "database/ResultSet.h"
#include "platform/DBGrid.h"
#include "platform/SystemColors.h"

namespace zlt::app {

void sortByTitle(platform::DBGrid& grid, const std::string& table, int column,
                 int colouredColumns) {
    db::ResultSet& rows = *grid.resultSet();
    if (rows.active()) {
        rows.checkBrowseMode();
    }
    for (int each = 0; each < colouredColumns; ++each) {
        grid.setColumnColor(each, platform::windowColor());
    }
    Sestupne = !Sestupne;
    const char* direction = Sestupne ? "ASC" : "DESC";
    rows.close();
    grid.setColumnColor(column, platform::infoBackground());
    rows.setSql("SELECT * FROM " + table + " ORDER BY " + rows.fields()[column].name + " " +
                direction);
    rows.open();
}

}  // namespace zlt::app
