#pragma once

#include <optional>
#include <string>
#include <vector>

#include "competition/Disciplines.h"

namespace zlt::db {
class ResultSet;
}

namespace zlt::competition {

// The placings that the results of one discipline call for, ranked by its rule: the best
// result is 1st, equal values share the better place and leave a gap (1, 2, 2, 4); teams
// without a result get no placing, or with lastWithout the place after every team with a
// result, shared. Only named teams are placed; a row without a name keeps its placing.
struct PlacingLine {
    int row = 0;                // the row's index in the result set's current order
    std::optional<int> number;  // CISLO; the finals rows have none
    std::string team;
    std::string result;         // as typed, blanks trimmed
    ReadResult read;
    std::optional<int> current;
    std::optional<int> computed;
    bool changed() const { return current != computed; }
};

struct PlacingPlan {
    Discipline discipline;
    std::vector<PlacingLine> lines;  // named teams only, in the rows' current order

    // Whether every named team's result can be read; nothing is written otherwise.
    bool writable() const;
    // Empty when writable; else the Czech sentence naming every team whose result cannot
    // be read, with the reason: "Nic nebylo zapsáno: výsledek nelze přečíst u družstev …".
    std::string refusal() const;
    int changedCount() const;
};

// The plan for the discipline's rows as they stand; nothing is written. A manual
// discipline has no plan to make: throws Refusal "… se umístění zapisují ručně".
PlacingPlan proposePlacings(const db::ResultSet& rows, const Discipline& discipline,
                            const DisciplineRule& rule);

}  // namespace zlt::competition
