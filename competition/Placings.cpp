#include "competition/Placings.h"

#include <algorithm>

#include "competition/Refusal.h"
#include "database/FieldList.h"
#include "database/ResultSet.h"

namespace zlt::competition {
namespace {

// The places the results call for: the best is 1st, equal values share the better place
// and the next place skips. The values come from exact decimal readings, so equal texts
// give equal values and compare as such.
void placeByResults(std::vector<PlacingLine>& lines, const DisciplineRule& rule) {
    std::vector<PlacingLine*> withResult;
    for (PlacingLine& line : lines) {
        if (line.read.value) {
            withResult.push_back(&line);
        }
    }
    const auto better = [&](const PlacingLine* a, const PlacingLine* b) {
        return rule.lessIsBetter() ? *a->read.value < *b->read.value
                                   : *a->read.value > *b->read.value;
    };
    std::stable_sort(withResult.begin(), withResult.end(), better);
    for (std::size_t place = 0; place < withResult.size(); ++place) {
        const bool tied = place > 0 && !better(withResult[place - 1], withResult[place]);
        withResult[place]->computed =
            tied ? withResult[place - 1]->computed : static_cast<int>(place) + 1;
    }
    if (rule.lastWithout) {
        const int last = static_cast<int>(withResult.size()) + 1;
        for (PlacingLine& line : lines) {
            if (line.read.withoutResult) {
                line.computed = last;
            }
        }
    }
}

std::string trimmedText(const db::FieldValue& value) {
    return std::string(db::withoutBlanks(db::displayText(value)));
}

}  // namespace

bool PlacingPlan::writable() const {
    return std::all_of(lines.begin(), lines.end(),
                       [](const PlacingLine& line) { return line.read.readable(); });
}

std::string PlacingPlan::refusal() const {
    std::string teams;
    int unreadable = 0;
    for (const PlacingLine& line : lines) {
        if (!line.read.readable()) {
            teams += unreadable++ == 0 ? " " : ", ";
            teams += line.team + " (" + line.read.problem + ")";
        }
    }
    if (unreadable == 0) {
        return {};
    }
    return std::string("Nic nebylo zapsáno: výsledek nelze přečíst u ") +
           (unreadable == 1 ? "družstva" : "družstev") + teams + ".";
}

int PlacingPlan::changedCount() const {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [](const PlacingLine& line) { return line.changed(); }));
}

PlacingPlan proposePlacings(const db::ResultSet& rows, const Discipline& discipline,
                            const DisciplineRule& rule) {
    if (rule.kind == ResultKind::Manual) {
        throw Refusal(discipline.caption() + " je ruční, v ní se umístění zapisují ručně.");
    }
    const int team = rows.fieldPosition("DRUZSTVO");
    const int result = rows.fieldPosition(discipline.resultField());
    const int placing = rows.fieldPosition(discipline.placingField());
    const std::optional<int> number = rows.fields().positionOf("CISLO");
    PlacingPlan plan{discipline, {}};
    for (int row = 0; row < rows.recordCount(); ++row) {
        PlacingLine line;
        line.team = trimmedText(rows.value(row, team));
        if (line.team.empty()) {
            continue;
        }
        line.row = row;
        if (number) {
            line.number = db::integerOf(rows.value(row, *number));
        }
        line.result = trimmedText(rows.value(row, result));
        line.read = readResult(rule.kind, line.result);
        line.current = db::integerOf(rows.value(row, placing));
        plan.lines.push_back(std::move(line));
    }
    placeByResults(plan.lines, rule);
    return plan;
}

}  // namespace zlt::competition
