#include "competition/Competition.h"

#include <filesystem>

#include "competition/DatabaseReset.h"
#include "competition/EventFiles.h"
#include "competition/Scoring.h"
#include "competition/StandingsMerge.h"
#include "database/FieldList.h"

namespace zlt::competition {

Competition::Competition()
    : preliminary_("IBOQuery1", connection_, db::preliminaryFields(), "SELECT *  FROM DATAZLT"),
      finals_("IBOQueryF", connection_, db::finalsFields(), "SELECT * FROM DATAZLTF"),
      deletePreliminary_("IB_DSQL1", connection_, "DELETE FROM DATAZLT"),
      deleteFinals_("IB_DSQLF", connection_, "DELETE FROM DATAZLTF") {}

void Competition::openPreliminary() {
    connection_.setPath((std::filesystem::current_path() / kDatabaseFile).string());
    preliminary_.open();
}

void Competition::openFinals() {
    finals_.open();
}

void Competition::recomputeTotal(db::ResultSet& rows) {
    recomputeRowTotal(rows, totalRuleOf(rows));
}

void Competition::sortByTitle(db::ResultSet& rows, int column) {
    if (rows.active()) {
        rows.checkBrowseMode();
    }
    Sestupne = !Sestupne;
    const char* direction = Sestupne ? "ASC" : "DESC";
    rows.close();
    rows.setSql("SELECT * FROM " + rows.fields().table() + " ORDER BY " +
                rows.fields()[column].name + " " + direction);
    rows.open();
}

void Competition::mergeFinalsIntoStandings() {
    competition::mergeFinalsIntoStandings(preliminary_, finals_);
}

void Competition::resetDatabase() {
    competition::resetDatabase({deletePreliminary_, preliminary_}, {deleteFinals_, finals_});
}

void Competition::writePendingRows() {
    for (db::ResultSet* rows : resultSets()) {
        if (rows->active()) {
            rows->checkBrowseMode();
        }
    }
}

}  // namespace zlt::competition
