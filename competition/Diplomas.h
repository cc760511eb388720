#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zlt::db {
class ResultSet;
}

namespace zlt::competition {

// The ranks the diplomas are handed out by. The overall standings are the preliminary
// table's ranks once the finals have been merged into it.
enum class DiplomaRound { Preliminary, Finals, Overall };

struct DiplomaChoice {
    DiplomaRound round = DiplomaRound::Overall;
    std::optional<int> top = 3;  // the first places up to this one; none: every placed team
    bool participation = false;  // also the named teams without a place, "for taking part"
};

// One diploma: a team and its place, none for a team without one.
struct DiplomaTeam {
    std::string team;
    std::optional<int> place;
    bool operator==(const DiplomaTeam&) const = default;
};

// The rows whose ranks the round's diplomas show.
db::ResultSet& diplomaRows(DiplomaRound round, db::ResultSet& preliminary, db::ResultSet& finals);

// The teams that get a diploma, from the rows as they stand (the current row and a row
// being typed stay as they are; the typed values count, as the grid shows them): by place,
// teams sharing a place in the rows' order, then those without a place when they are
// wanted. A team without a name never gets one. Refuses (Refusal, in Czech) when no team
// has a place, when the number of places is not one the rows can have, and when no team
// has one of the places asked for.
std::vector<DiplomaTeam> chooseDiplomaTeams(const db::ResultSet& rows, const DiplomaChoice& choice);

}  // namespace zlt::competition
