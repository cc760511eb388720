#include "competition/Ranking.h"

#include <algorithm>
#include <climits>

#include "database/FieldList.h"
#include "database/ResultSet.h"

namespace zlt::competition {
namespace {

// A team's placings of 1 or more, best first, padded to one length with a value that no
// placing reaches. Compared in order, the first difference is a count of one placing: the
// team with the smaller value there has more of it.
using Countback = std::vector<long long>;

Countback countbackOf(const RankEntry& entry, std::size_t length) {
    Countback placings;
    for (const std::optional<int>& placing : entry.placings) {
        if (placing && *placing >= 1) {
            placings.push_back(*placing);
        }
    }
    std::sort(placings.begin(), placings.end());
    placings.resize(length, LLONG_MAX);
    return placings;
}

bool ranked(const RankEntry& entry) {
    return entry.total && entry.named;
}

std::string teamName(const db::ResultSet& rows, int row, int team) {
    return std::string(db::withoutBlanks(db::displayText(rows.value(row, team))));
}

}  // namespace

const RankRule& preliminaryRanks() {
    static const RankRule rule{
        "CELKEM", "PORADI", {"BOD1", "BOD2", "BOD3", "BOD4", "BOD5", "BOD6"}};
    return rule;
}

const RankRule& finalsRanks() {
    static const RankRule rule{"FCELKEM", "FPORADI", {"FBOD1", "FBOD2", "FBOD3"}};
    return rule;
}

const RankRule& rankRuleOf(const db::ResultSet& rows) {
    return rows.fields().table() == db::finalsFields().table() ? finalsRanks() : preliminaryRanks();
}

std::vector<std::optional<int>> shareRanks(const std::vector<RankEntry>& entries, bool countback) {
    std::size_t longest = 0;
    for (const RankEntry& entry : entries) {
        longest = std::max(longest, entry.placings.size());
    }
    // What a team is ranked by; without the countback only its total.
    std::vector<std::pair<int, Countback>> keys(entries.size());
    std::vector<std::size_t> order;
    for (std::size_t at = 0; at < entries.size(); ++at) {
        if (ranked(entries[at])) {
            keys[at] = {*entries[at].total,
                        countback ? countbackOf(entries[at], longest) : Countback{}};
            order.push_back(at);
        }
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<std::optional<int>> ranks(entries.size());
    for (std::size_t place = 0; place < order.size(); ++place) {
        const std::size_t at = order[place];
        const bool tied = place > 0 && keys[order[place - 1]] == keys[at];
        ranks[at] = tied ? ranks[order[place - 1]] : static_cast<int>(place) + 1;
    }
    return ranks;
}

std::vector<RankLine> proposeRanks(const db::ResultSet& rows, bool countback) {
    const RankRule& rule = rankRuleOf(rows);
    const int total = rows.fieldPosition(rule.total);
    const int rank = rows.fieldPosition(rule.rank);
    const int team = rows.fieldPosition("DRUZSTVO");
    std::vector<RankEntry> entries;
    for (int row = 0; row < rows.recordCount(); ++row) {
        RankEntry entry{
            db::integerOf(rows.value(row, total)), !teamName(rows, row, team).empty(), {}};
        for (const std::string& placing : rule.placings) {
            entry.placings.push_back(db::integerOf(rows.value(row, rows.fieldPosition(placing))));
        }
        entries.push_back(std::move(entry));
    }
    const std::vector<std::optional<int>> computed = shareRanks(entries, countback);
    std::vector<RankLine> lines;
    for (int row = 0; row < rows.recordCount(); ++row) {
        lines.push_back(
            {row, teamName(rows, row, team), db::integerOf(rows.value(row, rank)), computed[row]});
    }
    return lines;
}

}  // namespace zlt::competition
