#include "competition/Placings.h"

#include <algorithm>

#include "competition/Refusal.h"
#include "database/ResultSet.h"

namespace zlt::competition {

bool PlacingPlan::writable() const {
    return std::all_of(lines.begin(), lines.end(),
                       [](const PlacingLine& line) { return line.read.readable(); });
}

std::string PlacingPlan::refusal() const {
    return writable() ? std::string() : "Nic nebylo zapsáno: výsledek nelze přečíst.";
}

int PlacingPlan::changedCount() const {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [](const PlacingLine& line) { return line.changed(); }));
}

PlacingPlan proposePlacings(const db::ResultSet&, const Discipline& discipline,
                            const DisciplineRule& rule) {
    if (rule.kind == ResultKind::Manual) {
        throw Refusal(discipline.caption() + " je ruční, v ní se umístění zapisují ručně.");
    }
    return {discipline, {}};
}

}  // namespace zlt::competition
