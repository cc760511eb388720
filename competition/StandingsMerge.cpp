#include "competition/StandingsMerge.h"

#include <algorithm>

namespace zlt::competition {
namespace {

constexpr int kFinalists = 12;

}  // namespace

void mergeFinalsIntoStandings(db::ResultSet& preliminary, db::ResultSet& finals) {
    // New statement texts close both result sets, which would drop a row still being typed;
    // it is written first, and a refusal stops the merge before anything changed.
    finals.checkBrowseMode();
    preliminary.checkBrowseMode();
    preliminary.setSql("SELECT * FROM DATAZLT ORDER BY PORADI");
    preliminary.open();
    finals.setSql("SELECT * FROM DATAZLTF ORDER BY FPORADI");
    finals.open();
    const int pairs = std::min({kFinalists, preliminary.recordCount(), finals.recordCount()});
    for (int copied = 0; copied < pairs; ++copied) {
        preliminary.edit();
        preliminary.setField("PORADI", finals.field(finals.fieldPosition("FPORADI")));
        preliminary.setField("DRUZSTVO", finals.field(finals.fieldPosition("DRUZSTVO")));
        preliminary.setField("CELKEMF", finals.field(finals.fieldPosition("FCELKEM")));
        preliminary.post();
        preliminary.next();
        finals.next();
    }
    preliminary.first();
}

}  // namespace zlt::competition
