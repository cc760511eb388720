#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zlt::db {
class ResultSet;
}

namespace zlt::competition {

// Which total a round is ranked by, which field takes the rank, and the placings that a
// countback compares.
struct RankRule {
    std::string total;
    std::string rank;
    std::vector<std::string> placings;
};

// DATAZLT: PORADI from CELKEM, countback over BOD1 to BOD6.
// DATAZLTF: FPORADI from FCELKEM, countback over FBOD1 to FBOD3.
const RankRule& preliminaryRanks();
const RankRule& finalsRanks();
const RankRule& rankRuleOf(const db::ResultSet& rows);

// One team as the ranking sees it.
struct RankEntry {
    std::optional<int> total;  // none: no rank
    bool named = true;         // a blank team name: no rank
    std::vector<std::optional<int>> placings;
};

// The lowest total is 1st; equal totals share a place and the next place skips (1, 2, 2,
// 4). With the countback, equal totals are split by more 1st placings, then more 2nd
// placings and so on; still equal, they share. Aligned with the entries.
std::vector<std::optional<int>> shareRanks(const std::vector<RankEntry>& entries, bool countback);

// One row of the rank preview.
struct RankLine {
    int row = 0;  // the row's index in the result set's current order
    std::string team;
    std::optional<int> current;
    std::optional<int> computed;
    bool changed() const { return current != computed; }
};

// The ranks of the rows as they stand, in the rows' current order; nothing is written.
std::vector<RankLine> proposeRanks(const db::ResultSet& rows, bool countback);

}  // namespace zlt::competition
