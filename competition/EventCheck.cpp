#include "competition/EventCheck.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <numeric>

#include "competition/Ranking.h"
#include "competition/Scoring.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"

namespace zlt::competition {
namespace {

std::string_view textOf(const db::FieldValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    return text == nullptr ? std::string_view() : db::withoutBlanks(*text);
}

std::string place(int placing) {
    return std::to_string(placing) + ".";
}

// "dvě družstva jsou", "5 družstev je"
std::string teamsAre(int count) {
    static const char* const kFew[] = {"dvě", "tři", "čtyři"};
    if (count >= 2 && count <= 4) {
        return std::string(kFew[count - 2]) + " družstva jsou";
    }
    return std::to_string(count) + " družstev je";
}

bool hasSharedRank(std::vector<std::optional<int>> ranks) {
    std::erase(ranks, std::nullopt);
    std::sort(ranks.begin(), ranks.end());
    return std::adjacent_find(ranks.begin(), ranks.end()) != ranks.end();
}

// One round's committed rows as the checks see them: the named rows, and the findings
// gathered with the field position they are sorted by.
class RoundCheck {
public:
    RoundCheck(const db::ResultSet& rows, bool finals) : rows_(rows), finals_(finals) {
        const int team = rows.fieldPosition("DRUZSTVO");
        number_ = rows.fields().positionOf("CISLO");
        names_.resize(rows.recordCount());
        for (int row = 0; row < rows.recordCount(); ++row) {
            names_[row] = textOf(stored(row, team));
            if (!names_[row].empty()) {
                named_.push_back(row);
            }
        }
    }

    void checkDiscipline(const Discipline& discipline, const DisciplineRule& rule);
    void checkTotals();
    void checkRanks();
    void checkDuplicates();
    // The findings by row, then by field, in the order found within one cell.
    void moveFindingsTo(std::vector<Finding>& findings);

private:
    struct Placed {
        int row;
        int placing;
    };

    const db::FieldValue& stored(int row, int position) const {
        return rows_.storedValue(row, position);
    }
    // Stored integers are numbers already; only a text needs reading.
    std::optional<int> integer(int row, int position) const {
        const db::FieldValue& value = stored(row, position);
        const auto* number = std::get_if<std::int32_t>(&value);
        return number != nullptr ? std::optional<int>(*number) : db::integerOf(value);
    }
    std::optional<int> numberOf(int row) const {
        return number_ ? integer(row, *number_) : std::nullopt;
    }
    const std::string& labelOf(int position) const { return rows_.fields()[position].displayLabel; }
    void add(int row, int position, std::string text);

    void checkPlacingRange(const std::string& caption, int placing, std::vector<Placed>& placed);
    void checkRanking(const std::string& caption, int placing, std::vector<Placed>& placed);
    void checkResultOrder(const std::string& caption, int placing, int result,
                          const DisciplineRule& rule, const std::vector<Placed>& placed);
    template <typename Key>
    void checkSame(std::vector<std::pair<Key, int>>& keys, int position,
                   const std::function<std::string(int row, int other)>& text);

    const db::ResultSet& rows_;
    bool finals_;
    std::optional<int> number_;
    std::vector<std::string_view> names_;
    std::vector<int> named_;
    std::vector<std::pair<int, Finding>> findings_;  // with the field's position
};

void RoundCheck::add(int row, int position, std::string text) {
    Finding finding{
        finals_,        row, numberOf(row), std::string(names_[row]), rows_.fields()[position].name,
        std::move(text)};
    findings_.emplace_back(position, std::move(finding));
}

void RoundCheck::moveFindingsTo(std::vector<Finding>& findings) {
    // Sorted by index, so that a round full of findings is not moved about while sorting.
    std::vector<std::size_t> order(findings_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::pair(findings_[a].second.row, findings_[a].first) <
               std::pair(findings_[b].second.row, findings_[b].first);
    });
    for (const std::size_t at : order) {
        findings.push_back(std::move(findings_[at].second));
    }
}

void RoundCheck::checkDiscipline(const Discipline& discipline, const DisciplineRule& rule) {
    const std::string caption = discipline.caption() + ": ";
    const int placing = rows_.fieldPosition(discipline.placingField());
    const int result = rows_.fieldPosition(discipline.resultField());
    std::vector<Placed> placed;
    std::vector<int> unplaced;
    for (const int row : named_) {
        if (const auto value = integer(row, placing)) {
            placed.push_back({row, *value});
        } else {
            unplaced.push_back(row);
        }
    }
    // A discipline without any placing has not been run yet.
    if (placed.empty()) {
        return;
    }
    // Teams without a result are left unplaced by such a rule.
    const bool unplacedAllowed = rule.kind != ResultKind::Manual && !rule.lastWithout;
    for (const int row : unplaced) {
        if (!(unplacedAllowed &&
              readResult(rule.kind, textOf(stored(row, result))).withoutResult)) {
            add(row, placing, caption + "družstvo nemá umístění");
        }
    }
    checkPlacingRange(caption, placing, placed);
    checkRanking(caption, placing, placed);
    if (rule.kind != ResultKind::Manual) {
        checkResultOrder(caption, placing, result, rule, placed);
    }
}

// Takes the placings out of range out of placed, telling of each.
void RoundCheck::checkPlacingRange(const std::string& caption, int placing,
                                   std::vector<Placed>& placed) {
    const int teams = static_cast<int>(named_.size());
    std::erase_if(placed, [&](const Placed& each) {
        if (each.placing < 1) {
            add(each.row, placing,
                caption + "umístění " + std::to_string(each.placing) + " je menší než 1");
        } else if (each.placing > teams) {
            add(each.row, placing,
                caption + "umístění " + std::to_string(each.placing) +
                    " je větší než počet družstev (" + std::to_string(teams) + ")");
        }
        return each.placing < 1 || each.placing > teams;
    });
}

// A proper ranking starts at 1, and a place k teams share leaves the next k-1 places
// unused. A place inside another's shared span is told at each row holding it; places
// missing before a used one are told once, at the first row holding the used one.
void RoundCheck::checkRanking(const std::string& caption, int placing,
                              std::vector<Placed>& placed) {
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.placing < b.placing; });
    int spanPlace = 0;
    int spanCount = 0;
    int nextFree = 1;
    for (std::size_t at = 0; at < placed.size();) {
        const int current = placed[at].placing;
        std::size_t end = at;
        while (end < placed.size() && placed[end].placing == current) {
            ++end;
        }
        const int count = static_cast<int>(end - at);
        if (current < nextFree) {
            for (std::size_t each = at; each < end; ++each) {
                add(placed[each].row, placing,
                    caption + teamsAre(spanCount) + " " + place(spanPlace) + ", ale " +
                        place(current) + " místo je obsazeno");
            }
        } else if (current > nextFree) {
            const std::string missing = current - 1 == nextFree
                                            ? place(nextFree)
                                            : place(nextFree) + " až " + place(current - 1);
            add(placed[at].row, placing, caption + missing + " místo chybí");
        }
        if (current + count > nextFree) {
            spanPlace = current;
            spanCount = count;
            nextFree = current + count;
        }
        at = end;
    }
}

// A better result with a worse placing than another team's: each such row is told once,
// against the team with the best placing among those with a worse result.
void RoundCheck::checkResultOrder(const std::string& caption, int placing, int result,
                                  const DisciplineRule& rule, const std::vector<Placed>& placed) {
    struct Scored {
        Placed placed;
        double goodness;  // more is better
    };
    std::vector<Scored> scored;
    for (const Placed& each : placed) {
        const ReadResult read = readResult(rule.kind, textOf(stored(each.row, result)));
        if (read.value) {
            scored.push_back({each, rule.lessIsBetter() ? -*read.value : *read.value});
        }
    }
    std::sort(scored.begin(), scored.end(),
              [](const Scored& a, const Scored& b) { return a.goodness < b.goodness; });
    // The best placed of the worse results seen so far.
    std::optional<Placed> bestOfWorse;
    for (std::size_t at = 0; at < scored.size();) {
        std::size_t end = at;
        while (end < scored.size() && scored[end].goodness == scored[at].goodness) {
            ++end;
        }
        for (std::size_t each = at; each < end; ++each) {
            const Placed& better = scored[each].placed;
            if (bestOfWorse && bestOfWorse->placing < better.placing) {
                add(better.row, placing,
                    caption + "lepší výsledek (" + std::string(textOf(stored(better.row, result))) +
                        ") než " + std::string(names_[bestOfWorse->row]) + " (" +
                        std::string(textOf(stored(bestOfWorse->row, result))) +
                        "), ale horší umístění (" + place(better.placing) + " proti " +
                        place(bestOfWorse->placing) + ")");
            }
        }
        for (std::size_t each = at; each < end; ++each) {
            if (!bestOfWorse || scored[each].placed.placing < bestOfWorse->placing) {
                bestOfWorse = scored[each].placed;
            }
        }
        at = end;
    }
}

void RoundCheck::checkTotals() {
    const TotalRule& rule = finals_ ? finalsTotal() : preliminaryTotal();
    const int total = rows_.fieldPosition(rule.total);
    std::vector<int> terms;
    for (const std::string& term : rule.terms) {
        terms.push_back(rows_.fieldPosition(term));
    }
    const char* madeOf = finals_ ? "z umístění a výchozího pořadí" : "z umístění a penalizace";
    for (const int row : named_) {
        std::int64_t sum = 0;
        for (const int term : terms) {
            sum += countedTerm(stored(row, term));
        }
        const std::optional<int> storedTotal = integer(row, total);
        if (storedTotal ? *storedTotal == sum : sum == 0) {
            continue;
        }
        add(row, total,
            labelOf(total) +
                (storedTotal ? " je " + std::to_string(*storedTotal) + ", ale " : " chybí, ale ") +
                madeOf + " vychází " + std::to_string(sum) + " (stiskněte Enter v řádku)");
    }
}

// Typed ranks agree with the totals, shared or split by the countback; once any rank is
// typed, a team with a total lacks one.
void RoundCheck::checkRanks() {
    const RankRule& rule = finals_ ? finalsRanks() : preliminaryRanks();
    const int total = rows_.fieldPosition(rule.total);
    const int rank = rows_.fieldPosition(rule.rank);
    std::vector<int> placings;
    for (const std::string& placing : rule.placings) {
        placings.push_back(rows_.fieldPosition(placing));
    }
    std::vector<RankEntry> entries;
    bool anyRank = false;
    for (const int row : named_) {
        entries.push_back({integer(row, total), true, {}});
        anyRank = anyRank || integer(row, rank);
    }
    if (!anyRank) {
        return;
    }
    const auto shared = shareRanks(entries, false);
    // The countback can only split totals that are equal, which shared ranks show.
    auto split = shared;
    if (hasSharedRank(shared)) {
        for (std::size_t at = 0; at < named_.size(); ++at) {
            for (const int placing : placings) {
                entries[at].placings.push_back(integer(named_[at], placing));
            }
        }
        split = shareRanks(entries, true);
    }
    const std::string label = labelOf(rank);
    for (std::size_t at = 0; at < named_.size(); ++at) {
        const int row = named_[at];
        const std::optional<int> typed = integer(row, rank);
        if (typed ? typed == shared[at] || typed == split[at] : !shared[at]) {
            continue;
        }
        if (!shared[at]) {
            add(row, rank,
                label + " " + std::to_string(*typed) + " není pořadím součtů: družstvo nemá " +
                    labelOf(total));
            continue;
        }
        std::string expected = place(*shared[at]);
        if (split[at] != shared[at]) {
            expected += ", při rozhodování podle umístění " + place(*split[at]);
        }
        const std::string because = "s " + labelOf(total) + " " +
                                    std::to_string(*entries[at].total) + " vychází " + expected;
        add(row, rank,
            typed ? label + " " + std::to_string(*typed) + " není pořadím součtů: " + because
                  : label + " chybí, ač jiná družstva ho mají: " + because);
    }
}

template <typename Key>
void RoundCheck::checkSame(std::vector<std::pair<Key, int>>& keys, int position,
                           const std::function<std::string(int row, int other)>& text) {
    std::sort(keys.begin(), keys.end());
    for (std::size_t at = 0; at < keys.size();) {
        std::size_t end = at;
        while (end < keys.size() && keys[end].first == keys[at].first) {
            ++end;
        }
        for (std::size_t each = at; end - at > 1 && each < end; ++each) {
            const int other = keys[each == at ? at + 1 : at].second;
            add(keys[each].second, position, text(keys[each].second, other));
        }
        at = end;
    }
}

void RoundCheck::checkDuplicates() {
    if (number_) {
        std::vector<std::pair<int, int>> numbers;
        for (const int row : named_) {
            if (const auto number = numberOf(row)) {
                numbers.emplace_back(*number, row);
            }
        }
        checkSame(numbers, *number_, [&](int row, int other) {
            return "číslo " + std::to_string(*numberOf(row)) + " má i " +
                   std::string(names_[other]);
        });
    }
    std::vector<std::pair<std::string_view, int>> names;
    for (const int row : named_) {
        names.emplace_back(names_[row], row);
    }
    checkSame(names, rows_.fieldPosition("DRUZSTVO"), [&](int, int other) {
        std::string text = "stejné jméno má i řádek " + std::to_string(other + 1);
        if (const auto number = numberOf(other)) {
            text += " (číslo " + std::to_string(*number) + ")";
        }
        return text;
    });
}

void checkRound(const db::ResultSet& rows, bool finals, const DisciplineRules& rules,
                std::vector<Finding>& findings) {
    if (!rows.active()) {
        return;
    }
    RoundCheck round(rows, finals);
    for (const Discipline& discipline : allDisciplines()) {
        if (discipline.finals == finals) {
            round.checkDiscipline(discipline, rules.of(discipline));
        }
    }
    round.checkTotals();
    round.checkRanks();
    round.checkDuplicates();
    round.moveFindingsTo(findings);
}

}  // namespace

std::string Finding::line() const {
    std::string line = finals ? "Finále, " : "Předkolo, ";
    if (number) {
        line += std::to_string(*number);
        line += team.empty() ? "" : " ";
    }
    line += team.empty() && !number ? "řádek " + std::to_string(row + 1) : team;
    line += ": ";
    line += text;
    return line;
}

std::vector<Finding> checkEvent(const db::ResultSet& preliminary, const db::ResultSet& finals,
                                const DisciplineRules& rules) {
    std::vector<Finding> findings;
    checkRound(preliminary, false, rules, findings);
    checkRound(finals, true, rules, findings);
    return findings;
}

std::vector<Finding> findingsOfRound(const std::vector<Finding>& findings, bool finals) {
    std::vector<Finding> ofRound;
    std::copy_if(findings.begin(), findings.end(), std::back_inserter(ofRound),
                 [&](const Finding& finding) { return finding.finals == finals; });
    return ofRound;
}

}  // namespace zlt::competition
