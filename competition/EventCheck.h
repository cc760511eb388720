#pragma once

#include <optional>
#include <string>
#include <vector>

#include "competition/Disciplines.h"

namespace zlt::db {
class ResultSet;
}

namespace zlt::competition {

// Something in the stored rows that looks like a typing error: it is told, never mended.
struct Finding {
    bool finals = false;        // the round
    int row = 0;                // the row's index in its result set's current order
    std::optional<int> number;  // CISLO; the finals rows have none
    std::string team;           // blanks trimmed; may be empty
    std::string field;          // the field it is about: "BOD2", "CELKEM", "FPORADI", "CISLO"
    std::string text;           // one Czech sentence, UTF-8

    // "Předkolo, 7 Horní Lhota: <text>" / "Finále, Horní Lhota: <text>", for lists and
    // the command line.
    std::string line() const;
    bool operator==(const Finding&) const = default;
};

// Looks at both rounds as the result sets hold them (committed rows) and writes nothing:
// - a named team without a placing in a discipline, or one below 1 or above the number of
//   named teams;
// - a discipline's placings that are no proper ranking (a place used k times leaves the next
//   k-1 unused; the places start at 1);
// - where the discipline's kind is not manual and both results can be read, a better result
//   with a worse placing;
// - a stored total that is not what Enter would compute from the stored placings and penalty
//   (CELKEM, FCELKEM);
// - a typed rank (PORADI, FPORADI) that is no proper ranking of the totals;
// - the same team number twice, or the same team name twice in a round.
// Findings come in the rounds' order, then by row, then by field order. Either result set
// may be closed (its round is then not looked at).
std::vector<Finding> checkEvent(const db::ResultSet& preliminary, const db::ResultSet& finals,
                                const DisciplineRules& rules);

// Only the findings of one round.
std::vector<Finding> findingsOfRound(const std::vector<Finding>& findings, bool finals);

}  // namespace zlt::competition
