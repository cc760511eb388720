#include "competition/Diplomas.h"

#include <algorithm>

#include "competition/Ranking.h"
#include "competition/Refusal.h"
#include "database/ResultSet.h"

namespace zlt::competition {

db::ResultSet& diplomaRows(DiplomaRound round, db::ResultSet& preliminary, db::ResultSet& finals) {
    return round == DiplomaRound::Finals ? finals : preliminary;
}

std::vector<DiplomaTeam> chooseDiplomaTeams(const db::ResultSet& rows,
                                            const DiplomaChoice& choice) {
    rows.requireActive();
    const int rank = rows.fieldPosition(rankRuleOf(rows).rank);
    const int name = rows.fieldPosition("DRUZSTVO");
    std::vector<DiplomaTeam> placed;
    std::vector<DiplomaTeam> unplaced;
    for (int row = 0; row < rows.recordCount(); ++row) {
        DiplomaTeam team{std::string(db::withoutBlanks(db::displayText(rows.value(row, name)))),
                         db::integerOf(rows.value(row, rank))};
        if (team.team.empty()) {
            continue;
        }
        // A rank of nought or below is no place a diploma could name.
        if (team.place && *team.place < 1) {
            team.place.reset();
        }
        (team.place ? placed : unplaced).push_back(std::move(team));
    }
    if (placed.empty()) {
        throw Refusal("Žádné družstvo nemá pořadí: nejprve spočítejte nebo zadejte pořadí.");
    }
    const int most = std::max(1, rows.recordCount());
    if (choice.top && (*choice.top < 1 || *choice.top > most)) {
        throw Refusal("Počet míst " + std::to_string(*choice.top) +
                      " nejde: zadejte číslo od 1 do " + std::to_string(most) +
                      " (tolik řádků má tabulka " + rows.fields().table() + ").");
    }
    std::stable_sort(placed.begin(), placed.end(), [](const DiplomaTeam& a, const DiplomaTeam& b) {
        return *a.place < *b.place;
    });
    if (choice.top) {
        placed.erase(
            std::find_if(placed.begin(), placed.end(),
                         [&](const DiplomaTeam& team) { return *team.place > *choice.top; }),
            placed.end());
        if (placed.empty()) {
            throw Refusal("Žádné družstvo nemá místo od 1 do " + std::to_string(*choice.top) +
                          ": zvolte víc míst nebo všechna umístěná družstva.");
        }
    }
    if (choice.participation) {
        placed.insert(placed.end(), unplaced.begin(), unplaced.end());
    }
    return placed;
}

}  // namespace zlt::competition
