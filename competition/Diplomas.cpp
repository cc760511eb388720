#include "competition/Diplomas.h"

#include <algorithm>

#include "competition/EventChoices.h"
#include "competition/Ranking.h"
#include "competition/Refusal.h"
#include "database/ResultSet.h"

namespace zlt::competition {
namespace {

constexpr const char* kSignatures = "podpisy";
constexpr const char* kCaptionKeys[] = {"podpis1", "podpis2"};
constexpr const char* kYes = "ano";
constexpr const char* kNo = "ne";

// Why the line cannot be a line of the layout, or nothing when it was taken into it.
std::optional<std::string> takeLine(const std::string& line, DiplomaLayout& layout) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return "chybí „=“, řádek má tvar podpisy=ano, podpis1=… nebo podpis2=….";
    }
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key == kSignatures) {
        if (value != kYes && value != kNo) {
            std::string why = "podpisy mohou být jen ano nebo ne, ne „";
            why += value;
            why += "“.";
            return why;
        }
        layout.signatures = value == kYes;
        return std::nullopt;
    }
    for (std::size_t slot = 0; slot < layout.captions.size(); ++slot) {
        if (key == kCaptionKeys[slot]) {
            layout.captions[slot] = value;
            return std::nullopt;
        }
    }
    std::string why = "neznámá volba „";
    why += key;
    why += "“ (zná podpisy, podpis1 a podpis2).";
    return why;
}

}  // namespace

std::string standingsName(DiplomaRound round) {
    switch (round) {
        case DiplomaRound::Preliminary:
            return "v základní části";
        case DiplomaRound::Finals:
            return "ve finále";
        case DiplomaRound::Overall:
            break;
    }
    return "v celkovém pořadí";
}

KeptDiplomaLayout readDiplomaLayout(const std::filesystem::path& folder) {
    const KeptChoice kept = readChoice(folder, EventChoice::DiplomaLayout);
    constexpr const char* kDefaultsUsed = " Diplomy mají výchozí podpisy.";
    if (kept.damaged()) {
        return {{}, kept.problem + kDefaultsUsed};
    }
    DiplomaLayout layout;
    for (std::size_t at = 0; at < kept.lines.size(); ++at) {
        if (kept.lines[at].empty()) {
            continue;
        }
        if (const auto why = takeLine(kept.lines[at], layout)) {
            return {{}, damagedLine(EventChoice::DiplomaLayout, at + 1, *why) + kDefaultsUsed};
        }
    }
    return {layout, {}};
}

void keepDiplomaLayout(const std::filesystem::path& folder, const DiplomaLayout& layout) {
    std::vector<std::string> lines;
    if (layout != DiplomaLayout{}) {
        lines.push_back(std::string(kSignatures) + "=" + (layout.signatures ? kYes : kNo));
        for (std::size_t slot = 0; slot < layout.captions.size(); ++slot) {
            lines.push_back(std::string(kCaptionKeys[slot]) + "=" + layout.captions[slot]);
        }
    }
    keepChoice(folder, EventChoice::DiplomaLayout, lines);
}

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
