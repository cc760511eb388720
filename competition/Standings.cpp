#include "competition/Standings.h"

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>

#include "competition/CommittedRows.h"
#include "competition/Ranking.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"

namespace zlt::competition {
namespace {

struct RoundRule {
    const RankRule& (*ranks)();
    std::vector<std::string> shownTotals;
    QString title;
};

// The overall standings are the preliminary rows after the merge: the finalists' places
// and finals totals written over the top of the table.
const RoundRule& ruleOf(StandingsRound round) {
    static const std::vector<RoundRule> rules{
        {preliminaryRanks, {"CELKEM"}, QStringLiteral("Základní část – průběžné pořadí")},
        {finalsRanks, {"FCELKEM"}, QStringLiteral("Finále – pořadí")},
        {preliminaryRanks, {"CELKEM", "CELKEMF"}, QStringLiteral("Celkové pořadí")},
    };
    return rules[static_cast<std::size_t>(round)];
}

struct Standing {
    std::optional<int> rank;
    std::optional<int> total;
    StandingLine line;
};

std::string textOf(const db::ResultSet& rows, int row, const std::string& field) {
    return db::displayText(rows.value(row, rows.fieldPosition(field)));
}

std::optional<int> integerAt(const db::ResultSet& rows, int row, const std::string& field) {
    return db::integerOf(rows.value(row, rows.fieldPosition(field)));
}

std::vector<Standing> namedStandings(const db::ResultSet& rows, const RoundRule& rule) {
    const RankRule& ranks = rule.ranks();
    std::vector<Standing> standings;
    for (int row = 0; row < rows.recordCount(); ++row) {
        const std::string team = textOf(rows, row, "DRUZSTVO");
        const std::string_view name = db::withoutBlanks(team);
        if (name.empty()) {
            continue;
        }
        Standing standing{integerAt(rows, row, ranks.rank),
                          integerAt(rows, row, ranks.total),
                          {{}, QString::fromUtf8(name.data(), name.size()), {}}};
        for (const std::string& total : rule.shownTotals) {
            standing.line.totals << QString::fromStdString(textOf(rows, row, total));
        }
        standings.push_back(std::move(standing));
    }
    return standings;
}

void order(std::vector<Standing>& standings) {
    const auto key = [](const Standing& standing) {
        const int group = standing.rank ? 0 : standing.total ? 1 : 2;
        return std::tuple(group, standing.rank.value_or(standing.total.value_or(0)),
                          standing.line.team);
    };
    std::stable_sort(standings.begin(), standings.end(),
                     [&](const Standing& a, const Standing& b) { return key(a) < key(b); });
}

// A team without a written rank shares its place with equal totals, counted on after the
// ranked teams.
void place(std::vector<Standing>& standings) {
    std::vector<RankEntry> unranked;
    int ranked = 0;
    for (const Standing& standing : standings) {
        if (standing.rank) {
            ++ranked;
        } else {
            unranked.push_back({standing.total, true, {}});
        }
    }
    const std::vector<std::optional<int>> shared = shareRanks(unranked, false);
    auto next = shared.begin();
    for (Standing& standing : standings) {
        std::optional<int> place = standing.rank;
        if (!place) {
            const std::optional<int> among = *next++;
            place = among ? std::optional<int>(*among + ranked) : std::nullopt;
        }
        standing.line.place = place ? QStringLiteral("%1.").arg(*place) : QString();
    }
}

}  // namespace

std::vector<StandingLine> standingsOf(const db::ResultSet& rows, StandingsRound round) {
    std::vector<Standing> standings = namedStandings(rows, ruleOf(round));
    order(standings);
    place(standings);
    std::vector<StandingLine> lines;
    for (Standing& standing : standings) {
        lines.push_back(std::move(standing.line));
    }
    return lines;
}

std::vector<StandingLine> readStandings(CommittedRows& committed, StandingsRound round) {
    committed.update();
    return standingsOf(
        round == StandingsRound::Finals ? committed.finals() : committed.preliminary(), round);
}

StandingsRound roundInProgress(const db::ResultSet& finals) {
    const RankRule& ranks = finalsRanks();
    for (int row = 0; row < finals.recordCount(); ++row) {
        if (integerAt(finals, row, ranks.total) || integerAt(finals, row, ranks.rank)) {
            return StandingsRound::Finals;
        }
    }
    return StandingsRound::Preliminary;
}

QString standingsTitle(StandingsRound round) {
    return ruleOf(round).title;
}

QString eventHeading(const EventDetails& details) {
    QString heading = details.edition().trimmed().isEmpty()
                          ? QStringLiteral("Zeltoria")
                          : QStringLiteral("%1. Zeltoria").arg(details.edition().trimmed());
    if (!details.place().trimmed().isEmpty()) {
        heading += QStringLiteral(" – ") + details.place().trimmed();
    }
    return heading;
}

}  // namespace zlt::competition
