#pragma once

#include <array>
#include <filesystem>
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

// The standings a round's diplomas name under the place: "v celkovém pořadí",
// "v základní části" or "ve finále".
std::string standingsName(DiplomaRound round);

// How the diplomas look besides what they say: the lines to sign at the foot of the page,
// each with its caption under it. An empty caption leaves its line out.
struct DiplomaLayout {
    bool signatures = true;
    std::array<std::string, 2> captions{"Hlavní rozhodčí", "Starosta obce"};
    bool operator==(const DiplomaLayout&) const = default;
};

// The layout the event folder keeps (EventChoice::DiplomaLayout), the default one when it
// keeps none. A damaged file gives the default layout and a Czech sentence naming the file
// and its line.
struct KeptDiplomaLayout {
    DiplomaLayout layout;
    std::string problem;
};
KeptDiplomaLayout readDiplomaLayout(const std::filesystem::path& folder);
// The default layout keeps no file. Throws Refusal in Czech when it cannot be kept.
void keepDiplomaLayout(const std::filesystem::path& folder, const DiplomaLayout& layout);

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
